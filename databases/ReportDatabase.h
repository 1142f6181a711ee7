#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "DatabaseMessages.h"
#include "HostConfig.h"
#include "HostExport.h"
#include "SysUtils.h"

// The report database. With the SQLite driver the file must exist, except
// the host's own sample (HostConfig::sampleDatabase), which is created on
// first use (CreateSqliteDatabase with the sample); the report connection
// itself only reads. Other drivers connect to
// an existing server database. A PostgreSQL server that wants a password
// libpq did not find (PGPASSWORD, ~/.pgpass) has it asked of the person
// (AskDatabasePassword); Cancel there raises EAbort. A server connection
// dropped since its last use is made again.
//
// The connection is the named one "relatorios"; throws Exception with a
// message in Portuguese when the database cannot be opened or created.
//
// SQLite connections, this one and OpenReportConnection's, never wait for a
// lock another program holds (the report's query does, on its own thread,
// with Cancelar: ReadSqliteRows), and make no value longer than
// kMaxReportValueBytes. A SQLite file locked by another program throws
// EDatabaseLocked (DatabaseLockedMessage).
HOST_EXPORT QSqlDatabase ReportDatabase(const HostConfig& config);

// A connection of its own to the same database, named `name`, opened on the
// calling thread, which alone may use it (Qt's rule); the caller removes it
// (QSqlDatabase::removeDatabase) when done. For a thread that runs a report
// while the GUI thread goes on: the database must already be there
// (ReportDatabase), and a server's password already known (never asked
// here). Throws Exception as ReportDatabase.
HOST_EXPORT QSqlDatabase OpenReportConnection(const HostConfig& config, const QString& name);

// Creates the SQLite file `path`, in WAL mode, with the report tables of
// `reportsDir`'s scripts and, with `withSample`, the sample (CreateReportTables).
// Nobody sees the file before it is whole; the folder must exist (none is
// made). Returns false, changing nothing, when a file of that name exists,
// also when another process made it meanwhile. Throws Exception in
// Portuguese, naming the path, when it cannot be made; nothing is left of it.
HOST_EXPORT bool CreateSqliteDatabase(const QString& path, const QString& reportsDir, bool withSample,
                                      const QVariant& sampleRows = {});
