// libFuzzer target for the statement count of report queries: any text, in
// either dialect, must be counted or refused without a crash and in time
// proportional to its length, and the count must be one the database could
// not beat: a statement put before the text adds exactly one, a ';' put
// after it adds none, and where SQLite itself prepares every statement of
// the text (on an empty database in memory: nothing runs), it finds as many.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "SqlStatements.h"

namespace {

void Check(const QString& sql, SqlDialect dialect) {
    const SqlStatementCount count = CountStatements(sql, dialect);
    if (count.statements < 0) std::abort();
    if (count.statements > 1 && (count.secondStart < 0 || count.secondStart >= sql.size())) std::abort();
    const SqlStatementCount before = CountStatements(QStringLiteral("SELECT 1;") + sql, dialect);
    const SqlStatementCount after = CountStatements(sql + u';', dialect);
    if (before.problem != count.problem || after.problem != count.problem) std::abort();
    if (!count.problem.isEmpty()) return;
    if (before.statements != count.statements + 1 || after.statements != count.statements) std::abort();
}

// The statements SQLite prepares one after the other, -1 when one fails.
int SqliteStatements(const QByteArray& utf8) {
    static sqlite3* db = [] {
        sqlite3* handle = nullptr;
        sqlite3_open(":memory:", &handle);
        return handle;
    }();
    int statements = 0;
    const char* rest = utf8.constData();
    const char* end = rest + utf8.size();
    while (rest < end) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, rest, static_cast<int>(end - rest), &statement, &tail) != SQLITE_OK)
            return -1;
        if (statement) ++statements;
        sqlite3_finalize(statement);
        if (!tail || tail <= rest) break;
        rest = tail;
    }
    return statements;
}

void CheckAgainstSqlite(const QString& sql) {
    const SqlStatementCount count = CountStatements(sql, SqlDialect::SQLite);
    const int sqlite = SqliteStatements(sql.toUtf8());
    if (count.problem.isEmpty() && sqlite >= 0 && sqlite != count.statements) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Check(sql, SqlDialect::SQLite);
    Check(sql, SqlDialect::PostgreSQL);
    if (!sql.contains(QChar(0))) CheckAgainstSqlite(sql);
    return 0;
}
