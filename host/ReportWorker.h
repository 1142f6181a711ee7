#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <thread>

#include "HostExport.h"

// Work that runs on a thread of its own while the GUI thread goes on
// answering: a report's query and layout, or its pages written out. The GUI
// thread starts it, may cancel it, hears of its progress and its end through
// signals (queued to the GUI thread), and afterwards rethrows what it threw.
class HOST_EXPORT ReportWorker : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(ReportWorker& worker)>;

    explicit ReportWorker(QObject* parent = nullptr);
    // Cancels the work and waits for its thread.
    ~ReportWorker() override;

    void Start(Work work);
    // Any thread. The work sees it within a few milliseconds (CheckCancel,
    // and QueryGuard in a query).
    void Cancel() { cancel_.store(true); }
    bool Cancelled() const { return cancel_.load(); }
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    // After Ended: throws what the work threw (EAbort when it was cancelled).
    void Rethrow() const;

    // On the worker's thread: throws EAbort once cancelled.
    void CheckCancel() const;
    // On the worker's thread: raises Progressed, at most every 50 ms unless
    // `now` (so that the GUI thread is never flooded).
    void Notify(bool now = false);

signals:
    void Progressed();
    void Finished();

private:
    void Run(const Work& work);

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> ended_{false};
    std::exception_ptr failure_;
    std::chrono::steady_clock::time_point nextNotice_{};
};
