#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "HostExport.h"

class QWidget;
class ReportProgressDialog;
class ReportWorker;

// While it lives, the user's clicks, keys and shortcuts, and requests to
// close a window, reach only the `allowed` windows: a report in progress
// cannot be started again, nor its screen closed under it, before its
// progress appears (and Qt's modality takes over).
class InputBlock : public QObject {
public:
    explicit InputBlock(QList<QWidget*> allowed);
    ~InputBlock() override;
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Allowed(QObject* watched) const;
    QList<QPointer<QWidget>> allowed_;
};

// What the progress says while the GUI thread waits: a status line and a bar
// (`maximum` 0 when the end is not known).
struct WaitStatus {
    QString text;
    int value = 0;
    int maximum = 0;
};

// Keeps the host answering while `worker` runs: runs the event loop until
// `enough()` holds (looked at whenever the worker reports progress) or the
// worker has ended. With a `dialog` (none where nobody watches) the progress
// shows once the wait has lasted a moment, updated from `status` ten times a
// second; its Cancelar cancels the worker, and the wait goes on until the
// worker has stopped, or, for work it may abandon, at most
// ReportWorker::kAbandonAfter. Work past its time limit
// (ReportWorker::SetTimeLimit) is cancelled the same way. Input to other
// windows is blocked meanwhile.
//
// Throws EAbort when the work was cancelled, here or by the application
// quitting (the worker is then stopped); Exception with the worker's
// OverdueMessage past its time limit; else what the worker threw, once it
// has ended; else returns.
HOST_EXPORT void WaitForWorker(ReportWorker& worker, const std::function<bool()>& enough,
                               ReportProgressDialog* dialog, const std::function<WaitStatus()>& status);

// Cancels `worker` and keeps the host answering until it has stopped, or
// for work it may abandon, at most ReportWorker::kAbandonAfter; what it threw
// is dropped.
HOST_EXPORT void LetWorkerGo(ReportWorker& worker);
