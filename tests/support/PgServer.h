#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A PostgreSQL server of the tests' own: a cluster made by initdb in a
// temporary folder, listening on a free port of 127.0.0.1 and on a socket in
// that folder, stopped and removed by the destructor. PostgreSQL refuses to
// run as root, so under root the cluster belongs to, and the server runs as,
// the unprivileged user "nobody". The server gets SIGINT (a fast shutdown)
// when the process that started it dies, whatever the way; folders left by
// such a death are removed by the next server started.
//
// Connections through the socket need no password (the harness's own
// administration, as superuser kAdmin); connections over TCP, the way the
// host connects, ask for one (SCRAM), as a company server does.
class PgServer {
public:
    static constexpr const char* kAdmin = "rcl_admin";

    // Starts the server; Error() says why when it could not.
    PgServer();
    ~PgServer();
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    bool Running() const { return process_ && process_->state() == QProcess::Running; }
    const QString& Error() const { return error_; }
    int Port() const { return port_; }
    QString SocketDir() const;

    // Runs SQL through psql as the superuser on the socket, stopping at the
    // first error; `output` gets the rows (unaligned, one a line) or psql's
    // message. False when it failed.
    bool Psql(const QString& database, const QString& sql, QString* output = nullptr) const;
    // psql's path, for benchmarks that compare against it.
    QString PsqlProgram() const;
    // The server's process id.
    qint64 Pid() const { return process_ ? process_->processId() : 0; }
    // Stops the server (fast shutdown), as a server that goes down; Start
    // brings it up again on the same port.
    void Stop();
    bool Start();

private:
    bool InitCluster();
    QStringList AsServerUser(const QString& program, const QStringList& arguments) const;
    bool RunTool(const QString& tool, const QStringList& arguments,
                 QString* output = nullptr) const;

    QTemporaryDir dir_;
    QString bin_;
    int port_ = 0;
    bool root_ = false;
    QString error_;
    std::unique_ptr<QProcess> process_;
};
