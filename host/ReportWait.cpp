#include "ReportWait.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

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
    if (dialog) QObject::connect(dialog, &ReportProgressDialog::CancelRequested, &loop, [&] { worker.Cancel(); });
    tick.start(100);
    {
        const InputBlock block({dialog});
        if (!done()) loop.exec();
    }
    if (dialog) dialog->hide();
    if (!done()) worker.Cancel();  // the application is quitting
    if (worker.Cancelled()) Abort();
    if (worker.Ended()) worker.Rethrow();
}
