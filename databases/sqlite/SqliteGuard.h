#pragma once

#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

#include "DatabaseKind.h"

// QueryGuard on a SQLite connection: SQLite's authorizer checks every
// statement prepared while it lives, and its progress handler interrupts a
// running one on a cancel or past the time limit (QueryGuard.h tells what
// passes). A transaction begun under it and left open is rolled back when it
// ends.
class SqliteGuard : public KindGuard {
public:
    // Null when `db` is not an open SQLite connection.
    static std::unique_ptr<KindGuard> On(QSqlDatabase& db, const QString& source,
                                         const std::atomic<bool>* cancel,
                                         std::chrono::milliseconds timeLimit);
    ~SqliteGuard() override;
    SqliteGuard(const SqliteGuard&) = delete;
    SqliteGuard& operator=(const SqliteGuard&) = delete;
    void Check() override;

    // Why the guard stopped a statement, as the SQLite callbacks record it.
    struct State;

private:
    explicit SqliteGuard(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
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
