SELECT [a;b], `c;`, "d;", $v('x);y') FROM t -- ;
;