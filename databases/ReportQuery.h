#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

#include "BoundQuery.h"
#include "HostExport.h"
#include "Params.h"
#include "QueryGuard.h"
#include "ReportData.h"

// Runs `bound` on `db` under a QueryGuard (only reading is allowed) and
// appends its rows to `data` (whose fields it sets). The rows are read by the connection's kind where it can (DatabaseKind::ReadRows: on
// SQLite through the driver's own SQLite connection, SharedSqliteHandle), else
// through Qt. `batch` runs whenever rows are published in `data` (every few
// hundred rows, or 50 ms' worth of slow ones: ReportData::PublishIfDue) and
// at the end; an exception it throws (EAbort) stops the query. Throws EAbort when cancelled through `limits`; Exception when
// the guard refused the statement or the time limit ended it; EDatabaseError
// with the database's message when the query cannot be prepared, run or read.
HOST_EXPORT void ReadReportRows(QSqlDatabase& db, const BoundQuery& bound, ReportData& data,
                                const std::function<void()>& batch = {},
                                const QueryLimits& limits = {});

// Runs `sql` with every parameter bound from `params` by name (BoundValue)
// and gives all its rows. `progress` is called with the number of rows read
// so far with the first rows, then at most every 100 ms; an exception it
// throws (EAbort) stops the query. Throws as BindReportQuery and
// ReadReportRows.
HOST_EXPORT ReportData RunReportQuery(QSqlDatabase& db, const QString& sql, const TParams& params,
                                      const std::function<void(int rows)>& progress = {},
                                      const QueryLimits& limits = {});
