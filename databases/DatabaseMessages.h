#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <chrono>

#include "HostConfig.h"
#include "HostExport.h"
#include "SysUtils.h"

// What a person reads when the report database fails, in Portuguese: the
// cause named (server down, password refused, and from which password file,
// a password file libpq ignored, an unknown connection option, no such
// database or table, a table the user may not read, connection lost, time
// limit), the server's own words (ServerWords) after it where they add to
// it, or alone where no cause is known. Never a password.

// Why connecting to the configured server database failed.
HOST_EXPORT QString ServerConnectionFailure(const HostConfig& config, const QSqlError& error);

// The server refused the password it was given (typed, or from libpq's
// password file or PGPASSWORD).
HOST_EXPORT bool ServerRefusedPassword(const QSqlError& error);

// The server asks for a password and was given none.
HOST_EXPORT bool ServerWantsPassword(const QSqlError& error);

// A SQLite report database locked by another program: its error and its
// message, which names the file.
class HOST_EXPORT EDatabaseLocked : public Exception {
public:
    using Exception::Exception;
};
HOST_EXPORT QString DatabaseLockedMessage(const QString& path);

// The report's query names a table the report database does not have.
HOST_EXPORT QString MissingTableMessage(const QString& table, const QString& database);

// For a report statement that failed on `db` (already checked by the
// QueryGuard): throws Exception with the message of a cause it knows (a
// missing table, a table the user may not read, the server's time limit, a
// lost connection, a write refused by the read-only snapshot), EAbort when the server says the statement was
// cancelled; returns otherwise, for the caller to report the database's words.
// `source` names the report definition; `limit` is the time limit it ran
// under.
HOST_EXPORT void ThrowKnownQueryFailure(const QSqlDatabase& db, const QSqlError& error,
                                        const QString& source, std::chrono::milliseconds limit);
