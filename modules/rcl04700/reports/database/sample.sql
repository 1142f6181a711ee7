-- A deterministic sample of :SAMPLE_ROWS cleanups (NULL: 2400) spread over
-- 2024-01-01 .. 2025-12-31 across the four systems, mostly small, now and
-- then a large one. Every number comes from a hash of the row number in
-- integer arithmetic that every database computes alike, so the same rows
-- come out everywhere. They go into the temporary table amostra, as a day
-- (0 is 2024-01-01) and a second of that day; database/<kind>/sample.sql
-- then stores them in limpeza in that database's own types.
CREATE TEMPORARY TABLE amostra (
  n bigint NOT NULL,
  dia integer NOT NULL,
  segundo integer NOT NULL,
  sistema text NOT NULL,
  tabela text NOT NULL,
  registros integer NOT NULL,
  usuario text NOT NULL
);
INSERT INTO amostra (n, dia, segundo, sistema, tabela, registros, usuario)
WITH RECURSIVE
  seq(n) AS (
    SELECT CAST(0 AS BIGINT)
    UNION ALL
    SELECT n + 1 FROM seq WHERE n + 1 < coalesce(CAST(:SAMPLE_ROWS AS bigint), 2400)),
  -- Three 32-bit hashes a row (Thomas Mueller's hash32; x XOR y is
  -- (x | y) - (x & y), which every database can compute).
  k0(n, a, b, c) AS (SELECT n, 3 * n, 3 * n + 1, 3 * n + 2 FROM seq),
  k1(n, a, b, c) AS (
    SELECT n,
           ((((a >> 16) | a) - ((a >> 16) & a)) * 73244475) % 4294967296,
           ((((b >> 16) | b) - ((b >> 16) & b)) * 73244475) % 4294967296,
           ((((c >> 16) | c) - ((c >> 16) & c)) * 73244475) % 4294967296
      FROM k0),
  k2(n, a, b, c) AS (
    SELECT n,
           ((((a >> 16) | a) - ((a >> 16) & a)) * 73244475) % 4294967296,
           ((((b >> 16) | b) - ((b >> 16) & b)) * 73244475) % 4294967296,
           ((((c >> 16) | c) - ((c >> 16) & c)) * 73244475) % 4294967296
      FROM k1),
  h(n, a, b, c) AS (
    SELECT n,
           ((a >> 16) | a) - ((a >> 16) & a),
           ((b >> 16) | b) - ((b >> 16) & b),
           ((c >> 16) | c) - ((c >> 16) & c)
      FROM k2),
  -- a: day of the 731 and second of the day; b: system, table (of the
  -- system's five or four), size; c: user.
  limpezas(n, dia, segundo, s, t, registros, u) AS (
    SELECT n, a % 731, (a / 731) % 86400, b % 4,
           CASE WHEN b % 4 = 1 THEN (b / 4) % 60 % 5 ELSE (b / 4) % 60 % 4 END,
           CASE WHEN (b / 240) % 10 = 0 THEN 5000 + (b / 2400) % 95000
                ELSE 1 + (b / 2400) % 4999 END,
           c % 5
      FROM h)
SELECT n, dia, segundo,
       CASE s WHEN 0 THEN 'Compras/Suprimentos'
              WHEN 1 THEN 'Documentos Fiscais/Financeiro'
              WHEN 2 THEN 'Estoque'
              ELSE 'Planejamento Alim. Industrial' END,
       CASE s * 10 + t
         WHEN 0 THEN 'PEDIDO_COMPRA' WHEN 1 THEN 'ITEM_PEDIDO_COMPRA'
         WHEN 2 THEN 'COTACAO' WHEN 3 THEN 'REQUISICAO_COMPRA'
         WHEN 10 THEN 'NOTA_FISCAL_ENTRADA' WHEN 11 THEN 'NOTA_FISCAL_SAIDA'
         WHEN 12 THEN 'TITULO_PAGAR' WHEN 13 THEN 'TITULO_RECEBER'
         WHEN 14 THEN 'LANCAMENTO_CAIXA'
         WHEN 20 THEN 'MOVIMENTO_ESTOQUE' WHEN 21 THEN 'SALDO_ESTOQUE_MENSAL'
         WHEN 22 THEN 'INVENTARIO' WHEN 23 THEN 'TRANSFERENCIA_ESTOQUE'
         WHEN 30 THEN 'ORDEM_PRODUCAO' WHEN 31 THEN 'APONTAMENTO_PRODUCAO'
         WHEN 32 THEN 'CARDAPIO_PLANEJADO' ELSE 'CONSUMO_INSUMO' END,
       registros,
       CASE u WHEN 0 THEN 'ADMIN' WHEN 1 THEN 'MSILVA' WHEN 2 THEN 'JSOUZA'
              WHEN 3 THEN 'APEREIRA' ELSE 'RCOSTA' END
  FROM limpezas;
