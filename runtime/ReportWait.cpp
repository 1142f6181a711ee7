#include "ReportWait.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>

#include "ReportProgressDialog.h"
#include "ReportWorker.h"
#include "SysUtils.h"

namespace {

// A wait this short shows no progress, so that a quick report does not
// flash a dialog.
constexpr int kShowAfterMs = 400;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// Milliseconds from now until `at`, at least 0.
int MsUntil(std::chrono::steady_clock::time_point at) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count() + 1, 0, 24 * 3600 * 1000));
}

// The GUI thread held the query to its time limit: what the work says, when
// it has ended and said it; else the limit.
void ThrowOverdue(const ReportWorker& worker) {
    if (!worker.Ended()) throw Exception(worker.OverdueMessage());
    try {
        worker.Rethrow();
    } catch (const EAbort&) {
        throw Exception(worker.OverdueMessage());
    }
}

}  // namespace

InputBlock::InputBlock(QList<QWidget*> allowed) {
    for (QWidget* widget : allowed)
        if (widget) allowed_.append(widget);
    qApp->installEventFilter(this);
}

InputBlock::~InputBlock() { qApp->removeEventFilter(this); }

bool InputBlock::Allowed(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return !qobject_cast<QAction*>(watched) && !watched->inherits("QShortcut");
    for (const QPointer<QWidget>& allowed : allowed_)
        if (allowed && (allowed == widget || allowed->isAncestorOf(widget))) return true;
    return false;
}

// A key held back must also hold back the shortcuts it would trigger: the
// override is accepted, as a widget that wants the key does.
bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
    if (!IsUserInput(event->type()) || Allowed(watched)) return false;
    if (event->type() == QEvent::ShortcutOverride) event->accept();
    else event->ignore();
    return true;
}

void WaitForWorker(ReportWorker& worker, const std::function<bool()>& enough, ReportProgressDialog* dialog,
                   const std::function<WaitStatus()>& status) {
    QEventLoop loop;
    const auto done = [&] { return worker.Ended() || (enough && enough()); };
    const auto check = [&] {
        if (done()) loop.quit();
    };
    QObject::connect(&worker, &ReportWorker::Progressed, &loop, check);
    QObject::connect(&worker, &ReportWorker::Finished, &loop, check);
    // Cancelled work that may be abandoned is waited for only a moment.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto cancel = [&] {
        worker.Cancel();
        if (worker.MayAbandon() && !giveUp.isActive()) giveUp.start(MsUntil(worker.GiveUpAt()));
    };
    const bool cancelledBefore = worker.Cancelled();
    if (cancelledBefore) cancel();
    bool overdue = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        if (!worker.Overdue()) return limit.start(10);
        overdue = true;
        if (dialog) dialog->ShowCancelling();
        cancel();
    });
    if (!cancelledBefore && worker.Deadline() != std::chrono::steady_clock::time_point::max())
        limit.start(MsUntil(worker.Deadline() + ReportWorker::kAbandonAfter));
    QElapsedTimer waited;
    waited.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!dialog) return;
        if (!worker.Cancelled()) {
            const WaitStatus now = status();
            dialog->SetStatus(now.text);
            dialog->SetProgress(now.value, now.maximum);
        }
        if (!dialog->isVisible() && waited.elapsed() >= kShowAfterMs) dialog->show();
    });
    if (dialog) QObject::connect(dialog, &ReportProgressDialog::CancelRequested, &loop, cancel);
    tick.start(100);
    {
        const InputBlock block({dialog});
        if (!done()) loop.exec();
    }
    if (dialog) dialog->hide();
    if (overdue) return ThrowOverdue(worker);
    if (!done()) worker.Cancel();  // the application is quitting
    if (worker.Cancelled()) Abort();
    if (worker.Ended()) worker.Rethrow();
}

void LetWorkerGo(ReportWorker& worker) {
    worker.Cancel();
    if (worker.Ended()) return;
    try {
        WaitForWorker(worker, {}, nullptr, {});
    } catch (const EAbort&) {  // what a cancel ends in
    }
}
