#pragma once

#include <QSqlDatabase>
#include <QVariantList>
#include <chrono>
#include <functional>

#include "HostExport.h"
#include "ReportData.h"

struct sqlite3;
struct PositionalQuery;
struct QueryLimits;

// Reading a report's rows straight from SQLite, beneath Qt's SQLite driver.
// The driver hands every text over as UTF-16 in a QVariant; read here, a row
// costs what it costs SQLite's own C interface.

// The SQLite connection of `db` when its driver is Qt's SQLite driver running
// on the very SQLite library this program is linked with (so that the handle
// means the same thing to both); nullptr otherwise: another driver, or a Qt
// carrying its own copy of SQLite. The connection must be open.
HOST_EXPORT sqlite3* SharedSqliteHandle(const QSqlDatabase& db);

// The longest text or blob a report query may make or read on a report
// connection: 4 MiB. Real reports show values of a few hundred characters
// (the longest, the list of chosen systems bound as JSON, is under 1 KB), so
// this leaves room a thousand times over; and a function that makes a value
// (replace(), printf(), zeroblob(), group_concat()) then does at most a few
// MB of work in one step, milliseconds, where SQLite cannot look at a cancel
// or the time limit. Without it one replace() over 100 MB held a report 37 s
// past a 5 s limit, and zeroblob(999999999) took the host down.
constexpr int kMaxReportValueBytes = static_cast<int>(kMaxCellBytes);
// Sets kMaxReportValueBytes on `db` (SharedSqliteHandle; nothing on any other
// connection). A value past it fails its statement with
// ReportValueTooBigMessage.
HOST_EXPORT void LimitReportValues(const QSqlDatabase& db);
HOST_EXPORT QString ReportValueTooBigMessage(const QString& source);

// Runs `query` on `handle` with `values` bound in order, as Qt's driver binds
// them, and appends each row to `data` (whose fields it sets). `batch` runs
// whenever rows are published (ReportData::PublishIfDue) and at the end; an
// exception from it stops the query.
//
// A lock another program holds is waited for (`limits.waiting` true
// meanwhile) for at most kLockWait, and only while `limits.cancel` stays
// false and the time limit has not passed: SQLite's own wait would hold the
// thread 5 s whatever the user does.
//
// Throws EDatabaseError with SQLite's message when the query cannot be
// prepared, run or read (DatabaseLockedMessage when the lock outlasted the
// wait, ReportValueTooBigMessage for a value past the cap); Exception with
// QueryTimeLimitMessage when the time limit ended the wait for a lock.
void ReadSqliteRows(sqlite3* handle, const PositionalQuery& query, const QVariantList& values,
                    ReportData& data, const std::function<void()>& batch, const QueryLimits& limits);
constexpr std::chrono::milliseconds kLockWait{5000};
