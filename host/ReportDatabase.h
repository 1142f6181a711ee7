#pragma once

#include <QSqlDatabase>
#include <QString>

#include "HostConfig.h"
#include "HostExport.h"

// The report database. With the SQLite driver a missing (or empty) file named
// in the config is created on first use and filled by the scripts kept with
// the report definitions (CreateReportTables with the sample); other drivers
// connect to an existing server database.
//
// The connection is the named one "relatorios"; throws Exception with a
// message in Portuguese when the database cannot be opened or created.
HOST_EXPORT QSqlDatabase ReportDatabase(const HostConfig& config);
// A connection of its own to the same database, named `name`, opened on the
// calling thread, which alone may use it (Qt's rule); the caller removes it
// (QSqlDatabase::removeDatabase) when done. For a thread that runs a report
// while the GUI thread goes on: the database must already be there
// (ReportDatabase). Throws Exception as ReportDatabase.
HOST_EXPORT QSqlDatabase OpenReportConnection(const HostConfig& config, const QString& name);
