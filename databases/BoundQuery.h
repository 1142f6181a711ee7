#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

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

// A query with its values bound, ready to run: the positional statement and
// the value of each '?' in order.
struct HOST_EXPORT BoundQuery {
    PositionalQuery query;
    QVariantList values;
};
// Binds every parameter of `sql` from `params` by name. Throws EDatabaseError
// naming a parameter of the query that is not in `params`.
HOST_EXPORT BoundQuery BindReportQuery(const QString& sql, const TParams& params);
