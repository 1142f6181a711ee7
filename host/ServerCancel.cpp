#include "ServerCancel.h"

#include <libpq-fe.h>

#include <QSqlDriver>
#include <QVariant>
#include <chrono>

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
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "pg_conn*") != 0 &&
                              qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

}  // namespace

ServerCancel::ServerCancel(const QSqlDatabase& db, const std::atomic<bool>& cancel) : cancel_(cancel) {
    PGconn* connection = ServerHandle(db);
    if (!connection) return;
    request_ = PQgetCancel(connection);
    if (request_) watcher_ = std::thread([this] { Watch(); });
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
            char error[256];
            PQcancel(static_cast<PGcancel*>(request_), error, sizeof error);
            return;
        }
        woken_.wait_for(lock, kLookEvery);
    }
}
