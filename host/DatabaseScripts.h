#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "HostExport.h"

// The scripts that create a report database live with the report
// definitions, so that the host names no table of its own:
// <reports>/database/<kind>/, <kind> being DatabaseKind of the driver.
//   schema.sql  creates the tables and their indexes, and fails where one of
//               them exists (no IF NOT EXISTS)
//   sample.sql  fills them with a deterministic sample of :SAMPLE_ROWS rows
//               (NULL: the script's own size)
// A script is SQL statements separated by ';' (SplitStatements) in UTF-8;
// its named parameters (:NAME) are bound by name, never pasted in.

// "sqlite" for QSQLITE, "postgresql" for QPSQL, the empty text for others.
HOST_EXPORT QString DatabaseKind(const QString& driver);

// The script `name` ("schema.sql") for that driver in `reportsDir`.
HOST_EXPORT QString DatabaseScriptPath(const QString& reportsDir, const QString& driver,
                                       const QString& name);

// Runs schema.sql and, with `withSample`, sample.sql with :SAMPLE_ROWS bound
// to `sampleRows`, in one transaction: on any failure nothing is left of
// them. Throws Exception in Portuguese naming the script, with the
// database's message (a table that exists: its name in that message).
HOST_EXPORT void CreateReportTables(QSqlDatabase& db, const QString& reportsDir, bool withSample,
                                    const QVariant& sampleRows = {});
