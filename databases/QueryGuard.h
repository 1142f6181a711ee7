#pragma once

#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

#include "HostExport.h"

class ServerCancel;

// Guards the statements run on one SQLite connection while it lives, so that
// a report definition, a file anyone may drop in the reports folder, can only
// read:
//
// - every statement prepared under the guard is checked by SQLite's
//   authorizer: reading, the functions reports use (the list and its
//   reasons are in QueryGuard.cpp: dates, text, aggregates and windows,
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
// statements. On a connection that is not SQLite (or not open) the guard
// checks nothing and Check() only reports a cancel: read-only access and
// statement timeouts are then the server connection's own business
// (ReportSnapshot). On PostgreSQL a cancel stops the running statement all
// the same: the server is asked to cancel it (ServerCancel).
class HOST_EXPORT QueryGuard {
public:
    // `source` names the report definition (its file) in messages; `cancel`
    // may be null.
    QueryGuard(QSqlDatabase& db, const QString& source, const std::atomic<bool>* cancel,
               std::chrono::milliseconds timeLimit);
    ~QueryGuard();
    QueryGuard(const QueryGuard&) = delete;
    QueryGuard& operator=(const QueryGuard&) = delete;

    // Call after a prepare, exec or fetch failed. Throws EAbort when the
    // statement was cancelled; throws Exception, in Portuguese and naming
    // `source`, when the guard refused the statement (saying what it tried,
    // e.g. "apagar a tabela vendas") or the time limit ended it. Returns when
    // the failure had another cause, for the caller to report.
    void Check();

    // Why the guard stopped a statement, as the SQLite callbacks record it.
    struct State;

private:
    void* handle_ = nullptr;  // the connection's sqlite3*, or null
    std::unique_ptr<State> state_;
    std::unique_ptr<ServerCancel> serverCancel_;  // on a server, with a cancel flag
};

// The SQLite functions a report may call, by what reports do with them;
// QueryGuard refuses every other by name. Left out on purpose: what reaches
// outside the query (load_extension; fts3_tokenizer, which hands out a
// library address), what tells about the connection or the library
// (changes, total_changes, last_insert_rowid, sqlite_version,
// sqlite_source_id, sqlite_compileoption_*, sqlite_offset) and what only
// makes bulk (randomblob, zeroblob: a report has no use for a value of a
// size it chooses). Lower case; SQLite's names are not case sensitive.
inline constexpr const char* kReportFunctions[] = {
    // dates and times
    "date", "time", "datetime", "julianday", "unixepoch", "strftime", "timediff",
    "current_date", "current_time", "current_timestamp",
    // text
    "length", "octet_length", "lower", "upper", "trim", "ltrim", "rtrim", "substr",
    "substring", "replace", "instr", "printf", "format", "concat", "concat_ws", "char",
    "unicode", "hex", "unhex", "quote", "like", "glob", "soundex",
    // values and conditions
    "abs", "round", "sign", "coalesce", "ifnull", "iif", "nullif", "typeof", "likely",
    "unlikely", "likelihood", "min", "max", "random",
    // aggregates
    "count", "sum", "total", "avg", "group_concat", "string_agg",
    // windows
    "row_number", "rank", "dense_rank", "percent_rank", "cume_dist", "ntile", "lag", "lead",
    "first_value", "last_value", "nth_value",
    // mathematics
    "ceil", "ceiling", "floor", "trunc", "mod", "pow", "power", "sqrt", "exp", "ln", "log",
    "log2", "log10", "pi", "degrees", "radians", "sin", "cos", "tan", "asin", "acos", "atan",
    "atan2", "sinh", "cosh", "tanh", "asinh", "acosh", "atanh",
    // JSON (the lookup list's choices are a JSON array)
    "json", "json_array", "json_array_length", "json_extract", "json_object", "json_type",
    "json_valid", "json_quote", "json_group_array", "json_group_object", "json_each",
    "json_tree", "json_patch", "json_remove", "json_replace", "json_set", "json_insert",
    "->", "->>"};

// The messages of a report query stopped on any database: refused because it
// tried `attempt` ("apagar a tabela vendas"), or past its time limit.
HOST_EXPORT QString QueryRefusedMessage(const QString& source, const QString& attempt);
HOST_EXPORT QString QueryTimeLimitMessage(const QString& source, std::chrono::milliseconds limit);

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
