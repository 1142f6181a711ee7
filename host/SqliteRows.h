#pragma once

#include <QSqlDatabase>
#include <QVariantList>
#include <functional>

#include "HostExport.h"
#include "ReportData.h"

struct sqlite3;
struct PositionalQuery;

// Reading a report's rows straight from SQLite, beneath Qt's SQLite driver.
// The driver hands every text over as UTF-16 in a QVariant; read here, a row
// costs what it costs SQLite's own C interface.

// The SQLite connection of `db` when its driver is Qt's SQLite driver running
// on the very SQLite library this program is linked with (so that the handle
// means the same thing to both); nullptr otherwise: another driver, or a Qt
// carrying its own copy of SQLite. The connection must be open.
HOST_EXPORT sqlite3* SharedSqliteHandle(const QSqlDatabase& db);

// Runs `query` on `handle` with `values` bound in order, as Qt's driver binds
// them, and appends each row to `data` (whose fields it sets). `batch` runs
// whenever rows are published (ReportData::PublishIfDue) and at the end; an
// exception from it stops the query. Throws EDatabaseError with SQLite's
// message when the query cannot be prepared, run or read.
void ReadSqliteRows(sqlite3* handle, const PositionalQuery& query, const QVariantList& values,
                    ReportData& data, const std::function<void()>& batch);
