#include "QueryGuard.h"

#include <QDir>

#include "DatabaseKinds.h"
#include "ServerCancel.h"
#include "SysUtils.h"

namespace {

QString ReportName(const QString& source) {
    return source.isEmpty() ? QString() : u' ' + QDir::toNativeSeparators(source);
}

QString LimitText(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0) return QStringLiteral("%1 s").arg(limit.count() / 1000);
    return QStringLiteral("%1 ms").arg(limit.count());
}

}  // namespace

QueryGuard::QueryGuard(QSqlDatabase& db, const QString& source, const std::atomic<bool>* cancel,
                       std::chrono::milliseconds timeLimit, const DatabaseKind* kind)
    : cancel_(cancel) {
    if (!kind) kind = DatabaseKinds::ForConnection(db);
    if (!kind) return;
    if (cancel && db.isOpen())
        if (std::unique_ptr<KindStopper> stopper = kind->Stopper(db))
            serverCancel_ = std::make_unique<ServerCancel>(std::move(stopper), *cancel);
    guard_ = kind->GuardStatements(db, source, cancel, timeLimit);
}

QueryGuard::~QueryGuard() = default;

void QueryGuard::Check() {
    if (guard_) return guard_->Check();
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) Abort();
}

QString QueryRefusedMessage(const QString& source, const QString& attempt) {
    return QStringLiteral("A consulta do relatório%1 foi recusada: ela tenta %2, e um relatório "
                          "só pode ler os dados.")
        .arg(ReportName(source), attempt);
}

QString QueryFunctionRefusedMessage(const QString& source, const QString& function) {
    return QStringLiteral("A consulta do relatório%1 foi recusada: ela chama a função %2, que "
                          "não está entre as funções que um relatório pode usar.")
        .arg(ReportName(source), function);
}

QString QueryTimeLimitMessage(const QString& source, std::chrono::milliseconds limit) {
    return QStringLiteral("A consulta do relatório%1 foi interrompida: passou do tempo limite de %2.")
        .arg(ReportName(source), LimitText(limit));
}
