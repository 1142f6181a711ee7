// libFuzzer target for the statement count of report queries: any text, in
// either dialect, must be counted or refused without a crash and in time
// proportional to its length, and the count must be one the database could
// not beat: a statement put before the text adds exactly one, and a ';' put
// after it adds none.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Check(sql, SqlDialect::SQLite);
    Check(sql, SqlDialect::PostgreSQL);
    return 0;
}
