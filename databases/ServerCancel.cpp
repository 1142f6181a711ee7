#include "ServerCancel.h"

#include <chrono>

namespace {

// Well inside the 200 ms a person waits at most for Cancel, and nothing to
// a thread that sleeps in between.
constexpr auto kLookEvery = std::chrono::milliseconds(10);

}  // namespace

ServerCancel::ServerCancel(std::unique_ptr<KindStopper> stopper, const std::atomic<bool>& cancel)
    : cancel_(cancel), stopper_(std::move(stopper)) {
    watcher_ = std::thread([this] { Watch(); });
}

ServerCancel::~ServerCancel() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    woken_.notify_one();
    if (watcher_.joinable()) watcher_.join();
}

void ServerCancel::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ended_) {
        if (cancel_.load(std::memory_order_relaxed)) {
            lock.unlock();
            stopper_->Stop();
            lock.lock();
            // Still running a moment later: the database does not answer.
            if (!woken_.wait_for(lock, kCloseAfter, [this] { return ended_; }))
                stopper_->Unanswered();
            return;
        }
        woken_.wait_for(lock, kLookEvery);
    }
}
