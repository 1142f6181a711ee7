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

// A query's result: the column names as the query gives them and the rows.
struct HOST_EXPORT ReportData {
    QStringList fields;
    QList<QVariantList> rows;
    // The column of that name, without regard to case; -1 when none.
    int FieldIndex(const QString& name) const;
};

// What bounds a report query (see QueryGuard): the definition's file, named
// in messages; a flag that cancels it when it becomes true (may be null); a
// time limit (0 for none).
struct HOST_EXPORT QueryLimits {
    QString source;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::milliseconds timeLimit{0};
};

// Runs `sql` with every parameter bound from `params` by name, each to its
// BoundValue, under a QueryGuard: only reading is allowed. `progress` is
// called with the number of rows read so far every few hundred rows; an
// exception it throws (EAbort) stops the query. Throws EAbort when cancelled
// through `limits`; Exception when the guard refused the statement or the
// time limit ended it;
// EDatabaseError with the database's message when the query cannot be
// prepared or run, and when a parameter of the query is not in `params`.
HOST_EXPORT ReportData RunReportQuery(QSqlDatabase& db, const QString& sql, const TParams& params,
                                      const std::function<void(int rows)>& progress = {},
                                      const QueryLimits& limits = {});
