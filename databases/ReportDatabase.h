#pragma once

#include <QSqlDatabase>
#include <QString>

#include "DatabaseMessages.h"
#include "HostConfig.h"
#include "HostExport.h"
#include "SysUtils.h"

// The report database, of the kind HostConfig::databaseKind names
// (DatabaseKinds): a SQLite file (SqliteKind.h) or a PostgreSQL server
// (PostgresKind.h), opened by the kind, which may make the host's sample
// (HostConfig::sampleDatabase) or ask for a server's password (Cancel there
// raises EAbort). A connection the kind keeps (KeepsConnection) is used again
// while the settings stay; a server is connected to anew.
//
// The connection is the named one "relatorios"; throws Exception with a
// message in Portuguese when the database cannot be opened or created, or
// its kind or driver is not there. A SQLite file locked by another program
// throws EDatabaseLocked (DatabaseLockedMessage).
HOST_EXPORT QSqlDatabase ReportDatabase(const HostConfig& config);

// A connection of its own to the same database, named `name`, opened on the
// calling thread, which alone may use it (Qt's rule); the caller removes it
// (QSqlDatabase::removeDatabase) when done. For a thread that runs a report
// while the GUI thread goes on: the database must already be there
// (ReportDatabase), and a server's password already known (never asked
// here). Throws Exception as ReportDatabase.
HOST_EXPORT QSqlDatabase OpenReportConnection(const HostConfig& config, const QString& name);

// --create-db: makes the report tables (and `sampleRows` sample cleanups when
// above 0) in the configured database: for a file kind a new file
// (DatabaseKind::CreateFile: false, changing nothing, where one exists), on
// a server in its database (whose tables must not exist). Throws Exception
// in Portuguese, EAbort when a password was wanted and not given.
HOST_EXPORT bool CreateReportDatabase(const HostConfig& config, int sampleRows);
