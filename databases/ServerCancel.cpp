#include "ServerCancel.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/socket.h>

#include <QSqlDriver>
#include <QVariant>
#include <chrono>

#include "OnDemandLibrary.h"
#include "SqliteRows.h"

namespace {

// Well inside the 200 ms a person waits at most for Cancel, and nothing to
// a thread that sleeps in between.
constexpr auto kLookEvery = std::chrono::milliseconds(10);

// The libpq connection of Qt's PostgreSQL driver, whose libpq library is the
// one Libpq() opens again. Qt names its type by the struct's name, pg_conn.
PGconn* ServerHandle(const QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// libpq's cancel functions, from the library Qt's PostgreSQL driver loaded
// for the connection: only a connection to a server needs them, and the
// host links no libpq of its own. All or none.
struct CancelFunctions {
    decltype(PQgetCancel)* getCancel = nullptr;
    decltype(PQcancel)* cancel = nullptr;
    decltype(PQfreeCancel)* freeCancel = nullptr;
    decltype(PQsocket)* socket = nullptr;
};

const CancelFunctions& Libpq() {
    static const CancelFunctions functions = [] {
        constexpr OnDemandLibrary libpq("libpq.so.5");
        CancelFunctions f;
        const bool all = libpq.Bind(f.getCancel, "PQgetCancel") && libpq.Bind(f.cancel, "PQcancel") &&
                         libpq.Bind(f.freeCancel, "PQfreeCancel") && libpq.Bind(f.socket, "PQsocket");
        return all ? f : CancelFunctions{};
    }();
    return functions;
}

}  // namespace

ServerCancel::ServerCancel(const QSqlDatabase& db, const std::atomic<bool>& cancel)
    : cancel_(cancel) {
    if (PGconn* connection = ServerHandle(db)) {
        if (!Libpq().getCancel) return;
        server_ = connection;
        request_ = Libpq().getCancel(connection);
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
    if (request_) Libpq().freeCancel(static_cast<PGcancel*>(request_));
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
                ::shutdown(Libpq().socket(static_cast<PGconn*>(server_)), SHUT_RDWR);
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
    Libpq().cancel(static_cast<PGcancel*>(request_), error, sizeof error);
}
