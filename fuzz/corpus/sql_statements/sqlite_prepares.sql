SELECT 1; SELECT [a;b], `c;`, "d;" FROM (SELECT 1 AS [a;b], 2 AS `c;`, 3 AS "d;"); SELECT $v('x);y'), @w, :z, ?1 -- ;
; /* ; */ SELECT 'it''s;';