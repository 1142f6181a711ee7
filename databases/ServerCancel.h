#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "DatabaseKind.h"

// Stops the statement running on a connection as soon as a flag becomes
// true: a thread of its own looks at the flag every few milliseconds while
// this lives, then has the connection's kind stop it (KindStopper::Stop):
// - on PostgreSQL the server is asked to cancel (libpq's PQcancel, made for
//   calling from another thread): the statement fails with the server's
//   "canceling statement due to user request". A server that does not answer
//   (stopped, or the network gone) gets kCloseAfter, then the connection's
//   socket is shut down (KindStopper::Unanswered), so that the thread reading
//   from it stops waiting at once; the server's statement_timeout ends what
//   is left on its side.
// - on SQLite it is interrupted (sqlite3_interrupt).
// The flag must outlive this.
class ServerCancel {
public:
    static constexpr std::chrono::milliseconds kCloseAfter{100};

    ServerCancel(std::unique_ptr<KindStopper> stopper, const std::atomic<bool>& cancel);
    ~ServerCancel();
    ServerCancel(const ServerCancel&) = delete;
    ServerCancel& operator=(const ServerCancel&) = delete;

private:
    void Watch();

    const std::atomic<bool>& cancel_;
    std::unique_ptr<KindStopper> stopper_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool ended_ = false;
    std::thread watcher_;
};
