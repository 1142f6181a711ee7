-- The sample of database/sample.sql into the cleanup log, in time order so
-- that ids follow time, as they do in a real log; data_hora as SQLite keeps
-- it, 'yyyy-mm-dd hh:mm:ss' (1704067200 is 2024-01-01 00:00:00 in seconds
-- since 1970-01-01).
INSERT INTO limpeza (data_hora, sistema, tabela, registros, usuario)
SELECT datetime(1704067200 + dia * 86400 + segundo, 'unixepoch'), sistema, tabela, registros, usuario
  FROM amostra
 ORDER BY dia, segundo, n;
DROP TABLE amostra;
