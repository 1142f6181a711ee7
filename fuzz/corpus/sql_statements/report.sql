SELECT data_hora AS DATA FROM limpeza
WHERE data_hora >= :P_DATAINI AND (:P_TSISTEMA = 'T' OR sistema IN (SELECT value FROM json_each(:P_SISTEMA)))
ORDER BY 1;
