#include "PostgresKind.h"

#include <libpq-fe.h>
#include <sys/socket.h>

#include <QApplication>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <memory>

#include "DatabaseError.h"
#include "DatabaseMessages.h"
#include "DatabasePassword.h"
#include "OnDemandLibrary.h"
#include "PostgresAddress.h"
#include "ReportProgressDialog.h"
#include "ReportWait.h"
#include "ReportWorker.h"
#include "SysUtils.h"

namespace {

// libpq looks for the password in PGPASSWORD and its password file; when the
// server wants one it did not find, the person is asked, and what he typed
// is kept for the session once the server took it. A typed password the
// server refuses later was changed there meanwhile: it is asked again.
// A connection of its own to the server `db` names, on a thread of its own,
// while the window goes on answering, with the progress and Cancelar (EAbort)
// once the wait lasts: a server that does not answer (stopped, frozen, a
// network that drops its packets) never holds the window, and a cancelled
// attempt is left to end on its own (libpq cannot be interrupted while it
// connects). Gives what the server said; none: it answered and took the
// password.
QSqlError ReachServer(const QSqlDatabase& db) {
    struct Settings {
        QString driver, name, host, user, password, options;
        int port;
    } const settings{db.driverName(), db.databaseName(), db.hostName(), db.userName(),
                     db.password(),   db.connectOptions(), db.port()};
    auto answer = std::make_shared<QSqlError>();
    ReportWorker worker;
    worker.Start(
        [settings, answer](WorkerState&) {
            static std::atomic<int> serial{0};
            const QString name = QStringLiteral("relatorios-contato-%1").arg(++serial);
            {
                QSqlDatabase probe = QSqlDatabase::addDatabase(settings.driver, name);
                probe.setDatabaseName(settings.name);
                probe.setHostName(settings.host);
                probe.setPort(settings.port);
                probe.setUserName(settings.user);
                probe.setPassword(settings.password);
                probe.setConnectOptions(settings.options);
                if (!probe.open()) *answer = probe.lastError();
                probe.close();
            }
            QSqlDatabase::removeDatabase(name);
        },
        ReportWorker::Ending::Abandon);
    const auto progress = ProgressDialogFor(QStringLiteral("Banco de dados de relatórios"), QApplication::activeWindow());
    WaitForWorker(worker, {}, progress.get(),
                  [] { return WaitStatus{QStringLiteral("Aguardando o banco de dados…"), 0, 0}; });
    return *answer;
}

// Opens `db` once the server has answered off the window's thread; gives the
// server's refusal, if any.
QSqlError OpenReached(QSqlDatabase& db) {
    if (const QSqlError refused = ReachServer(db); refused.isValid()) return refused;
    return db.open() ? QSqlError() : db.lastError();
}

void OpenServer(QSqlDatabase& db, const HostConfig& config) {
    QSqlError error = OpenReached(db);
    if (!error.isValid()) return;
    const bool changed = !db.password().isEmpty() && ServerRefusedPassword(error);
    if (ServerWantsPassword(error) || changed) {
        KeepDatabasePassword(config, QString());
        QString password;
        const QString note = changed ? QStringLiteral("O servidor recusou a senha informada antes; "
                                                      "ela pode ter sido trocada.")
                                     : QString();
        if (!AskDatabasePassword(config, password, note)) Abort();
        db.setPassword(password);
        error = OpenReached(db);
        if (!error.isValid()) return KeepDatabasePassword(config, password);
    }
    KeepDatabasePassword(config, QString());
    db.setPassword(DatabasePassword(config));
    throw Exception(ServerConnectionFailure(config, error));
}

void RunSnapshotStatement(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw EDatabaseError(DatabaseFailure(QStringLiteral("Não foi possível começar a leitura do relatório"),
                                             query.lastError(), query.driver()));
}

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
// host links no libpq of its own, so that its start loads neither libpq nor
// what it pulls in. All or none.
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

// PQcancel waits for the server's answer; a stopped server's postmaster
// still answers at once. One that does not answer at all gets its socket
// shut down, so that the thread reading from it stops waiting.
class ServerStopper : public KindStopper {
public:
    ServerStopper(PGconn* connection, PGcancel* request) : connection_(connection), request_(request) {}
    ~ServerStopper() override { Libpq().freeCancel(request_); }
    ServerStopper(const ServerStopper&) = delete;
    ServerStopper& operator=(const ServerStopper&) = delete;
    void Stop() override {
        char error[256];
        Libpq().cancel(request_, error, sizeof error);
    }
    void Unanswered() override { ::shutdown(Libpq().socket(connection_), SHUT_RDWR); }

private:
    PGconn* connection_;
    PGcancel* request_;
};

}  // namespace

QString PostgresKind::Name() const { return QStringLiteral("postgresql"); }
QString PostgresKind::Title() const { return QStringLiteral("PostgreSQL"); }
QString PostgresKind::Driver() const { return QStringLiteral("QPSQL"); }
SqlDialect PostgresKind::Dialect() const { return SqlDialect::PostgreSQL; }
QStringList PostgresKind::Schemes() const { return kPostgresSchemes; }

void PostgresKind::ApplyAddress(const QString& address, HostConfig& config) const {
    ApplyPostgresAddress(address, config);
}

QString PostgresKind::Description(const HostConfig& config) const { return PostgresDescription(config); }

// A server connection kept from an earlier report may have been dropped
// since (server restarted, network), or its password changed there (which
// only a new connection tells): a server is connected to anew each time.
bool PostgresKind::KeepsConnection() const { return false; }

void PostgresKind::Open(QSqlDatabase& db, const HostConfig& config) const { OpenServer(db, config); }

// A server is given the password Open used (typed or found by libpq): nobody
// is asked twice, and a worker thread could not ask.
void PostgresKind::OpenOnThread(QSqlDatabase& db, const HostConfig& config) const {
    if (db.open()) return;
    // Asked again on the next report (ReportDatabase), not on this thread.
    if (ServerRefusedPassword(db.lastError())) KeepDatabasePassword(config, QString());
    throw Exception(ServerConnectionFailure(config, db.lastError()));
}

// The session's own settings come first, outside any transaction: whatever a
// report's text does to its transaction, what runs after it on this
// connection is still read-only, still under the limit, and its strings are
// read as the definition check reads them (SqlStatements.h).
bool PostgresKind::BeginSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit) const {
    RunSnapshotStatement(db, QStringLiteral("SET SESSION default_transaction_read_only = on"));
    RunSnapshotStatement(db, QStringLiteral("SET SESSION statement_timeout = %1").arg(timeLimit.count()));
    RunSnapshotStatement(db, QStringLiteral("SET SESSION standard_conforming_strings = on"));
    RunSnapshotStatement(db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
    return true;
}

// A lost connection has nothing to roll back.
void PostgresKind::EndSnapshot(QSqlDatabase& db) const {
    if (db.isOpen()) QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
}

std::unique_ptr<KindStopper> PostgresKind::Stopper(const QSqlDatabase& db) const {
    PGconn* connection = ServerHandle(db);
    if (!connection || !Libpq().getCancel) return nullptr;
    PGcancel* request = Libpq().getCancel(connection);
    return request ? std::make_unique<ServerStopper>(connection, request) : nullptr;
}

// The driver closes a connection the server dropped.
bool PostgresKind::ConnectionLost(const QSqlDatabase& db, const QSqlError& /*error*/) const {
    return !db.isOpen();
}
