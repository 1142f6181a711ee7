#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "HostExport.h"

// What the work sees of its worker, on the worker's thread. It outlives the
// ReportWorker when the work is abandoned (ReportWorker::Ending).
class HOST_EXPORT WorkerState {
public:
    // Any thread. The work sees it within a few milliseconds (CheckCancel,
    // and QueryGuard in a query).
    void Cancel();
    bool Cancelled() const { return cancel_.load(); }
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    // On the worker's thread: throws EAbort once cancelled.
    void CheckCancel() const;
    // On the worker's thread: raises the worker's Progressed, at most every
    // 50 ms unless `now` (so that the GUI thread is never flooded); nothing
    // once the worker is gone.
    void Notify(bool now = false);
    // On the worker's thread: the query has ended, and with it the time limit
    // the GUI thread holds it to (ReportWorker::SetTimeLimit).
    void QueryEnded() { queryEnded_.store(true); }
    bool Ended() const { return ended_.load(std::memory_order_acquire); }

private:
    friend class ReportWorker;
    using Clock = std::chrono::steady_clock;

    std::atomic<bool> cancel_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> queryEnded_{false};
    std::atomic<Clock::rep> cancelledAt_{0};
    std::exception_ptr failure_;
    Clock::time_point nextNotice_{};
    std::mutex ownerMutex_;  // guards owner_
    class ReportWorker* owner_ = nullptr;
};

// Work that runs on a thread of its own while the GUI thread goes on
// answering: a report's query and layout, or its pages written out. The GUI
// thread starts it, may cancel it, hears of its progress and its end through
// signals (queued to the GUI thread), and afterwards rethrows what it threw.
class HOST_EXPORT ReportWorker : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(WorkerState& worker)>;
    // How the worker ends when it goes while its work still runs: Join waits
    // for the work (work that uses what its caller owns); Abandon waits a
    // moment (kAbandonAfter from the cancel) and then leaves the work to end
    // on its own, hearing no more of it: work that holds everything it uses
    // (shared), such as a query a database keeps busy in one long step.
    enum class Ending { Join, Abandon };
    static constexpr std::chrono::milliseconds kAbandonAfter{150};

    explicit ReportWorker(QObject* parent = nullptr);
    // Cancels the work and ends as its Ending says.
    ~ReportWorker() override;

    void Start(Work work, Ending ending = Ending::Join);
    void Cancel() { state_->Cancel(); }
    bool Cancelled() const { return state_->Cancelled(); }
    const std::atomic<bool>& CancelFlag() const { return state_->CancelFlag(); }
    bool Ended() const { return state_->Ended(); }
    bool MayAbandon() const { return ending_ == Ending::Abandon; }
    // The moment the GUI side stops waiting for a cancelled work it may
    // abandon.
    std::chrono::steady_clock::time_point GiveUpAt() const;
    // After Ended: throws what the work threw (EAbort when it was cancelled).
    void Rethrow() const;

    // Before Start: the query must end within `limit` (0: none); past it, and
    // a moment for the work's own check to say so, Overdue holds and
    // `message` is what the user is told.
    void SetTimeLimit(std::chrono::milliseconds limit, const QString& message);
    bool Overdue() const;
    std::chrono::steady_clock::time_point Deadline() const { return deadline_; }
    const QString& OverdueMessage() const { return overdueMessage_; }

signals:
    void Progressed();
    void Finished();

private:
    friend class WorkerState;
    static void Run(const std::shared_ptr<WorkerState>& state, const Work& work);

    std::shared_ptr<WorkerState> state_;
    std::thread thread_;
    Ending ending_ = Ending::Join;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    QString overdueMessage_;
};

// Work abandoned by its worker and still running. Waits up to `wait` for it
// to end; true when none is left. Call before the application goes: work
// still running then must not outlive what it uses, so the program ends
// without its destructors (std::_Exit) instead.
HOST_EXPORT bool WaitForAbandonedWork(std::chrono::milliseconds wait);
