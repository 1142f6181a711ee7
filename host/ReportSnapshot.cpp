#include "ReportSnapshot.h"

#include <QSqlError>
#include <QSqlQuery>

#include "SysUtils.h"

namespace {

void Run(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw EDatabaseError(QStringLiteral("Não foi possível começar a leitura do relatório: %1")
                                 .arg(query.lastError().text()));
}

}  // namespace

ReportSnapshot::ReportSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit) : db_(db) {
    if (db.driverName() != QLatin1String("QPSQL")) return;
    began_ = true;
    Run(db_, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
    try {
        Run(db_, QStringLiteral("SET LOCAL statement_timeout = %1").arg(timeLimit.count()));
    } catch (...) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

ReportSnapshot::~ReportSnapshot() {
    if (began_ && db_.isOpen()) QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}
