#pragma once

#include <QSqlDatabase>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Stops the statement running on a connection as soon as a flag becomes
// true: a thread of its own looks at the flag every few milliseconds while
// this lives, then
// - on PostgreSQL asks the server to cancel (libpq's PQcancel, made for
//   calling from another thread): the statement fails with the server's
//   "canceling statement due to user request". A server that does not answer
//   (stopped, or the network gone) gets kCloseAfter, then the connection's
//   socket is shut down, so that the thread reading from it stops waiting at
//   once; the server's statement_timeout ends what is left on its side.
// - on SQLite interrupts it (sqlite3_interrupt).
// On any other connection (or one not open) it does nothing. The flag must
// outlive this.
class ServerCancel {
public:
    static constexpr std::chrono::milliseconds kCloseAfter{100};

    ServerCancel(const QSqlDatabase& db, const std::atomic<bool>& cancel);
    ~ServerCancel();
    ServerCancel(const ServerCancel&) = delete;
    ServerCancel& operator=(const ServerCancel&) = delete;

private:
    void Watch();
    void Stop();

    const std::atomic<bool>& cancel_;
    void* server_ = nullptr;   // libpq's PGconn
    void* request_ = nullptr;  // libpq's PGcancel
    void* sqlite_ = nullptr;   // sqlite3
    std::mutex mutex_;
    std::condition_variable woken_;
    bool ended_ = false;
    std::thread watcher_;
};
