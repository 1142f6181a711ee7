#pragma once

#include <QSqlDatabase>
#include <QString>

#include "HostConfig.h"
#include "HostExport.h"

// The report database. With the SQLite driver the file named in the config
// is created on first use from the schema and filled with the sample data
// set; other drivers connect to an existing server database.
//
// Schema: limpeza (id, data_hora 'yyyy-mm-dd hh:mm:ss', sistema, tabela,
// registros, usuario), indexed by data_hora and by (sistema, data_hora).
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
// Creates the schema and, with `sampleRows` > 0, a deterministic sample of
// that many cleanups spread over 2024-01-01 .. 2025-12-31 across the four
// systems. Throws Exception on any SQL failure.
HOST_EXPORT void CreateReportSchema(QSqlDatabase& db, int sampleRows);
// The default sample size of a new database.
constexpr int kSampleCleanups = 2400;
