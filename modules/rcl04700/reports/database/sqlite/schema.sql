-- The cleanup log that the RCL047 reports read, on SQLite. Each cleanup job
-- of a business system writes one row per table it cleaned: when
-- ('yyyy-mm-dd hh:mm:ss'), which system, which table, how many records and
-- who ran it. Run on an empty database: without IF NOT EXISTS it fails, and
-- changes nothing, where the table is already there.
CREATE TABLE limpeza (
  id INTEGER PRIMARY KEY,
  data_hora TEXT NOT NULL,
  sistema TEXT NOT NULL,
  tabela TEXT NOT NULL,
  registros INTEGER NOT NULL CHECK (registros >= 0),
  usuario TEXT NOT NULL
);
CREATE INDEX ix_limpeza_data_hora ON limpeza (data_hora);
CREATE INDEX ix_limpeza_sistema_data ON limpeza (sistema, data_hora);
