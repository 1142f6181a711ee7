#pragma once

#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

#include "HostExport.h"

class DatabaseKind;
class KindGuard;
class ServerCancel;

// Guards the statements a report runs on one connection while it lives, so that
// a report definition, a file anyone may drop in the reports folder, can only
// read:
//
// - every statement prepared under the guard is checked by SQLite's
//   authorizer: reading, the functions reports use (the list and its
//   reasons are in SqliteGuard.h: dates, text, aggregates and windows,
//   mathematics, JSON), recursive queries and plain BEGIN/COMMIT/ROLLBACK
//   pass; any other function (named in the message), writing, creating and
//   dropping, ATTACH and DETACH (and so VACUUM and VACUUM INTO), PRAGMA,
//   ANALYZE, REINDEX and savepoints are refused before they run;
// - a running statement is interrupted as soon as `*cancel` becomes true or
//   `timeLimit` (counted from the guard's construction; 0 for none) passes.
//   SQLite looks every few thousand VM steps, so a cancel takes effect within
//   a few milliseconds on any ordinary query.
//
// After a prepare, exec or fetch on the connection fails, Check() says why.
// A transaction begun under the guard and left open (a definition may say
// just "BEGIN") is rolled back when the guard ends, so it cannot hold the
// database's lock past the report.
//
// One guard at a time on a connection, used on the thread that runs the
// statements. What guards it is the connection's kind (DatabaseKind): the
// above is SQLite's (SqliteGuard). On a connection whose kind guards nothing
// (or one not open) Check() only reports a cancel: read-only access and
// statement timeouts are then the server connection's own business
// (ReportSnapshot). A cancel stops the running statement all the same where
// the kind can stop it (ServerCancel): on PostgreSQL the server is asked to
// cancel it.
class HOST_EXPORT QueryGuard {
public:
    // `source` names the report definition (its file) in messages; `cancel`
    // may be null. `kind` is the connection's kind; null: the first that
    // connects through its driver (DatabaseKinds::ForConnection).
    QueryGuard(QSqlDatabase& db, const QString& source, const std::atomic<bool>* cancel,
               std::chrono::milliseconds timeLimit, const DatabaseKind* kind = nullptr);
    ~QueryGuard();
    QueryGuard(const QueryGuard&) = delete;
    QueryGuard& operator=(const QueryGuard&) = delete;

    // Call after a prepare, exec or fetch failed. Throws EAbort when the
    // statement was cancelled; throws Exception, in Portuguese and naming
    // `source`, when the guard refused the statement (saying what it tried,
    // e.g. "apagar a tabela vendas") or the time limit ended it. Returns when
    // the failure had another cause, for the caller to report.
    void Check();

private:
    const std::atomic<bool>* cancel_;
    std::unique_ptr<ServerCancel> serverCancel_;  // with a cancel flag
    std::unique_ptr<KindGuard> guard_;            // the kind's, if it guards
};

// The messages of a report query stopped on any database: refused because it
// tried `attempt` ("apagar a tabela vendas") or called `function`, one a
// report may not use, or past its time limit.
HOST_EXPORT QString QueryRefusedMessage(const QString& source, const QString& attempt);
HOST_EXPORT QString QueryFunctionRefusedMessage(const QString& source, const QString& function);
HOST_EXPORT QString QueryTimeLimitMessage(const QString& source, std::chrono::milliseconds limit);

// What bounds a report query (see QueryGuard): the definition's file, named
// in messages; a flag that cancels it when it becomes true (may be null); a
// time limit (0 for none); a flag the query holds true while the database
// keeps it waiting for a lock (may be null); the connection's kind (null:
// the first that connects through its driver).
struct HOST_EXPORT QueryLimits {
    QString source;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::milliseconds timeLimit{0};
    std::atomic<bool>* waiting = nullptr;
    const DatabaseKind* kind = nullptr;
};
