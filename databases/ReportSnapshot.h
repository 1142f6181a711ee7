#pragma once

#include <QSqlDatabase>
#include <chrono>

#include "HostExport.h"

class DatabaseKind;

// One consistent view of the report database for everything a report reads,
// from construction to destruction, so that the rows and anything counted
// beside them come from the same moment:
// - PostgreSQL: a read-only REPEATABLE READ transaction whose statements the
//   server stops after `timeLimit` (statement_timeout; 0 for none); a report
//   statement that tries to write fails. The session itself is set read-only
//   (default_transaction_read_only), under the limit and with
//   standard_conforming_strings before the transaction begins, so that
//   neither ends with the transaction.
// - SQLite: nothing to begin. A report reads its rows with one statement,
//   and SQLite reads a statement in one read transaction of its own, from
//   one snapshot; ReportDatabase makes its files in WAL mode, so a cleanup
//   job writing meanwhile neither waits for the report nor changes what it
//   reads. (An explicit BEGIN would add nothing, and would turn the refusal
//   of a definition's VACUUM into SQLite's "cannot VACUUM from within a
//   transaction".)
// It changes nothing, so it ends by rolling back (a lost connection has
// nothing to roll back). Throws EDatabaseError with the database's message
// when it cannot begin. What it begins and ends is the connection's kind's
// (DatabaseKind::BeginSnapshot); `kind` null: the first that connects
// through `db`'s driver.
class HOST_EXPORT ReportSnapshot {
public:
    ReportSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit,
                   const DatabaseKind* kind = nullptr);
    ~ReportSnapshot();
    ReportSnapshot(const ReportSnapshot&) = delete;
    ReportSnapshot& operator=(const ReportSnapshot&) = delete;

private:
    QSqlDatabase db_;
    const DatabaseKind* kind_;
    bool began_ = false;
};
