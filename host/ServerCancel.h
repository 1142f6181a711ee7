#pragma once

#include <QSqlDatabase>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Cancels the statement running on a PostgreSQL connection as soon as a
// flag becomes true: a thread of its own looks at the flag every few
// milliseconds while this lives and then asks the server to cancel
// (libpq's PQcancel, made for calling from another thread). The statement
// then fails with the server's "canceling statement due to user request".
// On any other connection (or one not open) it does nothing. The flag must
// outlive this.
class ServerCancel {
public:
    ServerCancel(const QSqlDatabase& db, const std::atomic<bool>& cancel);
    ~ServerCancel();
    ServerCancel(const ServerCancel&) = delete;
    ServerCancel& operator=(const ServerCancel&) = delete;

private:
    void Watch();

    const std::atomic<bool>& cancel_;
    void* request_ = nullptr;  // libpq's PGcancel
    std::mutex mutex_;
    std::condition_variable woken_;
    bool ended_ = false;
    std::thread watcher_;
};
