#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <chrono>
#include <functional>

#include "HostExport.h"
#include "Params.h"
#include "ReportData.h"

// The named parameters of report queries (":P_INICIO") and how their values
// reach the database: always bound, never pasted into the SQL text.
//
// A parameter is ':' followed by a letter or '_' and then letters, digits or
// '_', outside string literals ('...'), quoted names ("..." and `...`) and
// comments (-- and /* */). "::" is left alone (a type cast on some servers).

// Each parameter name once, in the order of its first occurrence. Names that
// differ only in case are the same parameter, spelt as first written.
HOST_EXPORT QStringList QueryParamNames(const QString& sql);
// One parameter of unknown type and no value per name, in that order.
HOST_EXPORT TParams QueryParams(const QString& sql);
// The statements of a script, split at each ';' outside literals, quoted
// names and comments, without the ';'; statements that hold nothing but
// spaces and comments are left out.
HOST_EXPORT QStringList SplitStatements(const QString& script);

// The query as the database receives it: each parameter occurrence replaced
// by a positional '?', comments replaced by a space, and the parameter name of
// each '?' in order (a name used twice is bound twice).
struct HOST_EXPORT PositionalQuery {
    QString sql;
    QStringList bindings;
};
HOST_EXPORT PositionalQuery ToPositional(const QString& sql);

// A query with its values bound, ready to run: the positional statement and
// the value of each '?' in order.
struct HOST_EXPORT BoundQuery {
    PositionalQuery query;
    QVariantList values;
};
// Binds every parameter of `sql` from `params` by name. Throws EDatabaseError
// naming a parameter of the query that is not in `params`.
HOST_EXPORT BoundQuery BindReportQuery(const QString& sql, const TParams& params);

// What bounds a report query (see QueryGuard): the definition's file, named
// in messages; a flag that cancels it when it becomes true (may be null); a
// time limit (0 for none); a flag the query holds true while the database
// keeps it waiting for a lock (may be null).
struct HOST_EXPORT QueryLimits {
    QString source;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::milliseconds timeLimit{0};
    std::atomic<bool>* waiting = nullptr;
};

// Runs `bound` on `db` under a QueryGuard (only reading is allowed) and
// appends its rows to `data` (whose fields it sets). On SQLite the rows are
// read through the driver's own SQLite connection (SharedSqliteHandle), else
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
