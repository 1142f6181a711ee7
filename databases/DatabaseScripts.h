#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "HostExport.h"

// The scripts that create a report database live with the report
// definitions, so that the host names no table of its own, in
// <reports>/database/:
//   <kind>/schema.sql  creates the tables and their indexes in that kind of
//                      database (DatabaseKind::Name of the connection's
//                      kind, DatabaseKinds::ForConnection), and fails where
//                      one of them exists (no IF NOT EXISTS)
//   sample.sql         computes a deterministic sample of :SAMPLE_ROWS rows
//                      (NULL: the script's own size), alike on every kind
//   <kind>/sample.sql  stores that sample in the tables, in the kind's types
// A script is SQL statements separated by ';' (SplitStatements) in UTF-8;
// its named parameters (:NAME) are bound by name, never pasted in.

// Runs <kind>/schema.sql and, with `withSample`, sample.sql with
// :SAMPLE_ROWS bound to `sampleRows` and <kind>/sample.sql, in one
// transaction: on any failure nothing is left of
// them. Throws Exception in Portuguese naming the script, with the
// database's message (a table that exists: its name in that message).
HOST_EXPORT void CreateReportTables(QSqlDatabase& db, const QString& reportsDir, bool withSample,
                                    const QVariant& sampleRows = {});
