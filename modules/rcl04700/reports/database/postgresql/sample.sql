-- The sample of database/sample.sql into the cleanup log, in time order so
-- that ids follow time, as they do in a real log.
INSERT INTO limpeza (data_hora, sistema, tabela, registros, usuario)
SELECT timestamp '2024-01-01 00:00:00' + (dia * 86400 + segundo) * interval '1 second',
       sistema, tabela, registros, usuario
  FROM amostra
 ORDER BY dia, segundo, n;
DROP TABLE amostra;
