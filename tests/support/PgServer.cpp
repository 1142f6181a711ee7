#include "PgServer.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <cerrno>

#include "FreePort.h"
#include "ServerFolders.h"

namespace {

constexpr uid_t kNobody = 65534;  // nobody:nogroup on Debian
constexpr int kStartAttempts = 3;

// The bin folder of the newest PostgreSQL installed, or of the one on PATH.
QString ServerBinaries() {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& version : versions) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
        if (QFile::exists(bin + QStringLiteral("/initdb"))) return bin;
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

bool WriteFile(const QString& path, const QByteArray& text) {
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size();
}

}  // namespace

PgServer::PgServer()
    : dir_(QDir::tempPath() + QStringLiteral("/rcl-pg-XXXXXX")),
      bin_(ServerBinaries()),
      root_(::geteuid() == 0) {
    if (bin_.isEmpty()) {
        error_ = QStringLiteral(
            "PostgreSQL server not installed (initdb not found): run scripts/setup.sh");
        return;
    }
    if (!dir_.isValid()) {
        error_ = QStringLiteral("cannot make a temporary folder: %1").arg(dir_.errorString());
        return;
    }
    ClaimServerFolder(dir_.path(), QStringLiteral("rcl-pg-*"),
                      {QStringLiteral("owner.pid"), QStringLiteral("data/postmaster.pid")});
    if (root_ && ::chown(QFile::encodeName(dir_.path()).constData(), kNobody, kNobody) != 0) {
        error_ = QStringLiteral("cannot give the temporary folder to nobody");
        return;
    }
    if (!InitCluster()) return;
    for (int attempt = 0; attempt < kStartAttempts && !Running(); ++attempt) {
        port_ = FreePort();
        Start();
    }
}

PgServer::~PgServer() { Stop(); }

QString PgServer::SocketDir() const { return dir_.path(); }

QString PgServer::PsqlProgram() const { return bin_ + QStringLiteral("/psql"); }

QStringList PgServer::AsServerUser(const QString& program, const QStringList& arguments) const {
    QStringList command{QStringLiteral("--pdeathsig=INT")};
    if (root_)
        command << QStringLiteral("--reuid=%1").arg(kNobody)
                << QStringLiteral("--regid=%1").arg(kNobody) << QStringLiteral("--clear-groups");
    return command << QStringLiteral("--") << program << arguments;
}

bool PgServer::RunTool(const QString& tool, const QStringList& arguments, QString* output) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("setpriv"), AsServerUser(bin_ + u'/' + tool, arguments));
    const bool ok = process.waitForFinished(120000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output) *output = QString::fromLocal8Bit(process.readAll());
    return ok;
}

bool PgServer::InitCluster() {
    const QString passwordFile = dir_.filePath(QStringLiteral("pw"));
    WriteFile(passwordFile, QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '\n');
    if (root_) ::chown(QFile::encodeName(passwordFile).constData(), kNobody, kNobody);
    QString output;
    const bool ok =
        RunTool(QStringLiteral("initdb"),
                {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                 QString::fromLatin1(kAdmin), QStringLiteral("--pwfile=") + passwordFile,
                 QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"),
                 QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                 QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")},
                &output);
    QFile::remove(passwordFile);
    if (!ok) error_ = QStringLiteral("initdb failed: %1").arg(output);
    return ok;
}

bool PgServer::Start() {
    process_ = std::make_unique<QProcess>();
    process_->setStandardOutputFile(dir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    process_->setStandardErrorFile(dir_.filePath(QStringLiteral("server.log")), QIODevice::Append);
    process_->start(
        QStringLiteral("setpriv"),
        AsServerUser(
            bin_ + QStringLiteral("/postgres"),
            {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-p"),
             QString::number(port_), QStringLiteral("-k"), SocketDir(), QStringLiteral("-h"),
             QStringLiteral("127.0.0.1"), QStringLiteral("-c"), QStringLiteral("fsync=off"),
             QStringLiteral("-c"), QStringLiteral("synchronous_commit=off"), QStringLiteral("-c"),
             QStringLiteral("full_page_writes=off"), QStringLiteral("-c"),
             QStringLiteral("max_connections=40")}));
    process_->waitForStarted(30000);
    QElapsedTimer waited;
    waited.start();
    while (Running() && waited.elapsed() < 60000) {
        if (RunTool(QStringLiteral("pg_isready"),
                    {QStringLiteral("-q"), QStringLiteral("-h"), SocketDir(), QStringLiteral("-p"),
                     QString::number(port_)}))
            return true;
        QThread::msleep(100);
    }
    QFile log(dir_.filePath(QStringLiteral("server.log")));
    error_ =
        QStringLiteral("the server did not start: %1")
            .arg(log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(2000))
                                               : QString());
    Stop();
    return false;
}

void PgServer::Stop() {
    if (!process_) return;
    if (Running()) {
        ::kill(static_cast<pid_t>(process_->processId()), SIGINT);
        if (!process_->waitForFinished(30000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
    process_.reset();
}

bool PgServer::Psql(const QString& database, const QString& sql, QString* output) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(
        PsqlProgram(),
        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
         QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), SocketDir(), QStringLiteral("-p"),
         QString::number(port_), QStringLiteral("-U"), QString::fromLatin1(kAdmin),
         QStringLiteral("-d"), database, QStringLiteral("-f"), QStringLiteral("-")});
    process.write(sql.toUtf8());
    process.closeWriteChannel();
    const bool ok = process.waitForFinished(600000) &&
                    process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output) *output = QString::fromUtf8(process.readAll());
    return ok;
}
