#include "ReportQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <chrono>

#include "DatabaseError.h"
#include "DatabaseKinds.h"
#include "DatabaseMessages.h"
#include "SysUtils.h"

namespace {

// A failure whose cause is known (a missing table, a server's time limit or
// cancel, a lost connection: ThrowKnownQueryFailure) is said as such; else
// the database's own words follow `what`.
[[noreturn]] void QueryFailure(const QString& what, const QSqlDatabase& db, const QSqlQuery& query,
                               const QueryLimits& limits) {
    ThrowKnownQueryFailure(db, query.lastError(), limits.source, limits.timeLimit);
    throw EDatabaseError(DatabaseFailure(what, query.lastError(), query.driver()));
}

// Qt's driver asks for the rows of a forward-only query in batches of its own.
void FetchRows(const QSqlDatabase& db, QSqlQuery& query, ReportData& data,
               const std::function<void()>& batch, const QueryLimits& limits) {
    const QSqlRecord record = query.record();
    QStringList fields;
    for (int c = 0; c < record.count(); ++c) fields << record.fieldName(c);
    data.SetFields(fields);
    while (query.next()) {
        for (int c = 0; c < data.ColumnCount(); ++c) data.AddVariant(query.value(c));
        if (data.PublishIfDue() && batch) batch();
    }
    if (query.lastError().isValid())
        QueryFailure(QStringLiteral("Erro ao ler o resultado do relatório"), db, query, limits);
    data.Publish();
    if (batch) batch();
}

// A database whose kind does not read its rows beneath the driver: a
// PostgreSQL server.
void ReadThroughQt(QSqlDatabase& db, const BoundQuery& bound, ReportData& data,
                   const std::function<void()>& batch, const QueryLimits& limits) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(bound.query.sql))
        QueryFailure(QStringLiteral("Erro na consulta do relatório"), db, query, limits);
    for (const QVariant& value : bound.values) query.addBindValue(value);
    if (!query.exec())
        QueryFailure(QStringLiteral("Erro ao executar a consulta do relatório"), db, query, limits);
    FetchRows(db, query, data, batch, limits);
}

}  // namespace

// A failure may be the guard's doing (a cancel, a refusal, the time limit):
// it says so first.
void ReadReportRows(QSqlDatabase& db, const BoundQuery& bound, ReportData& data,
                    const std::function<void()>& batch, const QueryLimits& limits) {
    const DatabaseKind* kind = limits.kind ? limits.kind : DatabaseKinds::ForConnection(db);
    QueryGuard guard(db, limits.source, limits.cancel, limits.timeLimit, kind);
    try {
        if (kind && kind->ReadRows(db, bound, data, batch, limits)) return;
        ReadThroughQt(db, bound, data, batch, limits);
    } catch (const EDatabaseError&) {
        guard.Check();
        throw;
    }
}

ReportData RunReportQuery(QSqlDatabase& db, const QString& sql, const TParams& params,
                          const std::function<void(int rows)>& progress, const QueryLimits& limits) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kEvery = std::chrono::milliseconds(100);
    const BoundQuery bound = BindReportQuery(sql, params);
    ReportData data;
    Clock::time_point next = Clock::now();
    const auto throttled = [&] {
        if (!progress || Clock::now() < next) return;
        next = Clock::now() + kEvery;
        progress(static_cast<int>(data.RowCount()));
    };
    ReadReportRows(db, bound, data, throttled, limits);
    return data;
}
