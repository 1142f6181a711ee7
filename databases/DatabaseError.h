#pragma once

#include <QSqlDriver>
#include <QSqlError>
#include <QString>

#include "HostExport.h"

// A database failure as the user reads it: a Portuguese sentence, then the
// cause, in Portuguese where SQLite's code tells it, with the database's own
// (English) words after it in parentheses:
//
//   "Não foi possível criar ...: o disco está cheio (database or disk is full)"
//   "Erro na consulta do relatório: near "SELEC": syntax error"
//
// Only the database's words are taken (ServerWords for a server), never the
// driver's generic remark that Qt appends ("... Unable to execute statement"). `driver` is the
// connection's (QSqlDatabase::driver(), QSqlQuery::driver()); codes of
// drivers other than SQLite's are not interpreted.
HOST_EXPORT QString DatabaseFailure(const QString& sentence, const QSqlError& error,
                                    const QSqlDriver* driver);

// A server's own words of a failure: the first line of its message, without
// libpq's "connection to server at ... failed:", its severity ("ERROR:") or
// the state Qt's driver adds ("(42501)"). The
// rest (the statement quoted back as Qt's driver prepared it, "LINE 1:
// PREPARE qpsqlpstmt_1 AS ...", and a caret) and the driver's own remark
// ("Unable to prepare statement") are never shown.
HOST_EXPORT QString ServerWords(const QSqlError& error);

// The same from SQLite's own result code and message, for a failure met on
// its C interface.
HOST_EXPORT QString SqliteFailure(const QString& sentence, int code, const QString& words);

// SQLite's primary result code of a failure (SQLITE_FULL, ...), 0 when the
// error carries none.
HOST_EXPORT int SqliteCode(const QSqlError& error);
