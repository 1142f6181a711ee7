#include "ServerCancel.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/socket.h>

#include <QSqlDriver>
#include <QVariant>
#include <chrono>

#include "SqliteRows.h"

namespace {

// Well inside the 200 ms a person waits at most for Cancel, and nothing to
// a thread that sleeps in between.
constexpr auto kLookEvery = std::chrono::milliseconds(10);

// The libpq connection of Qt's PostgreSQL driver: the same libpq library
// as this program's, loaded once in the process. Qt names its type by the
// struct's name, pg_conn.
PGconn* ServerHandle(const QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

}  // namespace

ServerCancel::ServerCancel(const QSqlDatabase& db, const std::atomic<bool>& cancel)
    : cancel_(cancel) {
    if (PGconn* connection = ServerHandle(db)) {
        server_ = connection;
        request_ = PQgetCancel(connection);
        if (!request_) return;
    } else if (sqlite3* handle = SharedSqliteHandle(db)) {
        sqlite_ = handle;
    } else {
        return;
    }
    watcher_ = std::thread([this] { Watch(); });
}

ServerCancel::~ServerCancel() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    woken_.notify_one();
    if (watcher_.joinable()) watcher_.join();
    if (request_) PQfreeCancel(static_cast<PGcancel*>(request_));
}

void ServerCancel::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!ended_) {
        if (cancel_.load(std::memory_order_relaxed)) {
            lock.unlock();
            Stop();
            lock.lock();
            // Still running a moment later: the server does not answer.
            if (server_ && !woken_.wait_for(lock, kCloseAfter, [this] { return ended_; }))
                ::shutdown(PQsocket(static_cast<PGconn*>(server_)), SHUT_RDWR);
            return;
        }
        woken_.wait_for(lock, kLookEvery);
    }
}

// PQcancel waits for the server's answer; a stopped server's postmaster
// still answers at once.
void ServerCancel::Stop() {
    if (sqlite_) return sqlite3_interrupt(static_cast<sqlite3*>(sqlite_));
    char error[256];
    PQcancel(static_cast<PGcancel*>(request_), error, sizeof error);
}
