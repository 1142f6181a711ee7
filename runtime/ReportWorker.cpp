#include "ReportWorker.h"

#include <list>
#include <utility>

#include "SysUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

// Abandoned work: its thread and what tells that it has ended. Never
// destroyed, so that threads still running when the program ends are no
// reason for std::terminate.
struct Abandoned {
    std::thread thread;
    std::shared_ptr<WorkerState> state;
};

struct AbandonedList {
    std::mutex mutex;
    std::list<Abandoned> work;
};

AbandonedList& AbandonedWork() {
    static auto* list = new AbandonedList;
    return *list;
}

// Joins the abandoned work that has ended; true when none is left.
bool ReapAbandoned(AbandonedList& list, const std::function<bool(const WorkerState&)>& ended) {
    const std::lock_guard<std::mutex> lock(list.mutex);
    for (auto it = list.work.begin(); it != list.work.end();) {
        if (!ended(*it->state)) {
            ++it;
            continue;
        }
        it->thread.join();
        it = list.work.erase(it);
    }
    return list.work.empty();
}

}  // namespace

void WorkerState::Cancel() {
    if (!cancel_.exchange(true)) cancelledAt_.store(Clock::now().time_since_epoch().count());
}

void WorkerState::CheckCancel() const {
    if (Cancelled()) Abort();
}

void WorkerState::Notify(bool now) {
    const auto time = Clock::now();
    if (!now && time < nextNotice_) return;
    nextNotice_ = time + std::chrono::milliseconds(50);
    const std::lock_guard<std::mutex> lock(ownerMutex_);
    if (owner_) emit owner_->Progressed();
}

ReportWorker::ReportWorker(QObject* parent)
    : QObject(parent), state_(std::make_shared<WorkerState>()) {
    state_->owner_ = this;
}

ReportWorker::~ReportWorker() {
    Cancel();
    {
        const std::lock_guard<std::mutex> lock(state_->ownerMutex_);
        state_->owner_ = nullptr;
    }
    if (!thread_.joinable()) return;
    if (ending_ == Ending::Abandon) {
        while (!Ended() && Clock::now() < GiveUpAt())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (!Ended()) {
            AbandonedList& list = AbandonedWork();
            const std::lock_guard<std::mutex> lock(list.mutex);
            list.work.push_back({std::move(thread_), state_});
            return;
        }
    }
    thread_.join();
}

void ReportWorker::Start(Work work, Ending ending) {
    ending_ = ending;
    // Abandoned work that has ended since goes now, not at the end.
    ReapAbandoned(AbandonedWork(), [](const WorkerState& state) { return state.Ended(); });
    thread_ = std::thread([state = state_, work = std::move(work)] { Run(state, work); });
}

void ReportWorker::Run(const std::shared_ptr<WorkerState>& state, const Work& work) {
    try {
        work(*state);
    } catch (...) {
        state->failure_ = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(state->ownerMutex_);
    state->ended_.store(true, std::memory_order_release);
    if (state->owner_) emit state->owner_->Finished();
}

Clock::time_point ReportWorker::GiveUpAt() const {
    const Clock::rep at = state_->cancelledAt_.load();
    if (!Cancelled() || at == 0) return Clock::time_point::max();
    return Clock::time_point(Clock::duration(at)) + kAbandonAfter;
}

void ReportWorker::Rethrow() const {
    if (state_->failure_) std::rethrow_exception(state_->failure_);
}

void ReportWorker::SetTimeLimit(std::chrono::milliseconds limit, const QString& message) {
    deadline_ = limit.count() > 0 ? Clock::now() + limit : Clock::time_point::max();
    overdueMessage_ = message;
}

bool ReportWorker::Overdue() const {
    if (deadline_ == Clock::time_point::max() || Ended() || state_->queryEnded_.load())
        return false;
    return Clock::now() >= deadline_ + kAbandonAfter;
}

bool WaitForAbandonedWork(std::chrono::milliseconds wait) {
    const auto until = Clock::now() + wait;
    const auto ended = [](const WorkerState& state) { return state.Ended(); };
    while (!ReapAbandoned(AbandonedWork(), ended)) {
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
