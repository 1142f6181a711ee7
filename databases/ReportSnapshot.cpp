#include "ReportSnapshot.h"

#include <QSqlError>
#include <QSqlQuery>

#include "DatabaseError.h"
#include "SysUtils.h"

namespace {

void Run(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw EDatabaseError(DatabaseFailure(QStringLiteral("Não foi possível começar a leitura do relatório"),
                                             query.lastError(), query.driver()));
}

}  // namespace

// The session's own settings come first, outside any transaction: whatever a
// report's text does to its transaction, what runs after it on this
// connection is still read-only, still under the limit, and its strings are
// read as the definition check reads them (SqlStatements.h).
ReportSnapshot::ReportSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit) : db_(db) {
    if (db.driverName() != QLatin1String("QPSQL")) return;
    Run(db_, QStringLiteral("SET SESSION default_transaction_read_only = on"));
    Run(db_, QStringLiteral("SET SESSION statement_timeout = %1").arg(timeLimit.count()));
    Run(db_, QStringLiteral("SET SESSION standard_conforming_strings = on"));
    began_ = true;
    Run(db_, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
}

ReportSnapshot::~ReportSnapshot() {
    if (began_ && db_.isOpen()) QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}
