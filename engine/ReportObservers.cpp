#include "ReportObservers.h"

#include <QList>

namespace {

QList<ReportObserver*>& Registered() {
    static QList<ReportObserver*> observers;
    return observers;
}

// A copy: an observer may add or remove one while it is told.
template <typename Tell>
void TellEach(const Tell& tell) {
    const QList<ReportObserver*> observers = Registered();
    for (ReportObserver* observer : observers)
        if (Registered().contains(observer)) tell(*observer);
}

}  // namespace

ReportObserver::~ReportObserver() { ReportObservers::Remove(this); }

void ReportObserver::ParamsReady(const TParams& /*params*/) {}

void ReportObserver::ReportDone(const QString& /*action*/, const QString& /*title*/, int /*rows*/,
                                const QString& /*file*/) {}

void ReportObserver::Exported(const QString& /*action*/, const QString& /*title*/, qint64 /*rows*/,
                              const QString& /*file*/, int /*sheets*/) {}

void ReportObservers::Add(ReportObserver* observer) {
    if (observer && !Registered().contains(observer)) Registered().append(observer);
}

void ReportObservers::Remove(ReportObserver* observer) { Registered().removeOne(observer); }

void ReportObservers::TellParamsReady(const TParams& params) {
    TellEach([&](ReportObserver& observer) { observer.ParamsReady(params); });
}

void ReportObservers::TellReportDone(const QString& action, const QString& title, qsizetype rows,
                                     const QString& file) {
    TellEach([&](ReportObserver& observer) {
        observer.ReportDone(action, title, static_cast<int>(rows), file);
    });
}

void ReportObservers::TellExported(const QString& action, const QString& title, qint64 rows,
                                   const QString& file, int sheets) {
    TellEach(
        [&](ReportObserver& observer) { observer.Exported(action, title, rows, file, sheets); });
}
