#include "CupsServer.h"

#include <cups/cups.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "FreePort.h"
#include "ServerFolders.h"

namespace {

constexpr const char* kDaemon = "/usr/sbin/cupsd";

bool WriteFile(const QString& path, const QByteArray& text, QFile::Permissions permissions = {}) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) return false;
    return permissions == QFile::Permissions() || out.setPermissions(permissions);
}

// Writes each job into the folder of its device URI (testfile:/folder): the
// document as "<job>.pdf", the copies asked for and the options beside it.
const char* const kBackend = R"(#!/bin/sh
if [ $# -eq 0 ]; then echo 'direct testfile "Unknown" "Arquivo de teste"'; exit 0; fi
dir="${DEVICE_URI#testfile:}"
printf 'copies=%s\n%s\n' "$4" "$5" > "$dir/.$1.options"
if [ $# -ge 6 ]; then cat "$6"; else cat; fi > "$dir/.$1.part" || exit 1
mv "$dir/.$1.options" "$dir/$1.options" && mv "$dir/.$1.part" "$dir/$1.pdf"
)";

http_t* Connect(int port) {
    return httpConnect2("127.0.0.1", port, nullptr, AF_INET, HTTP_ENCRYPTION_NEVER, 1, 5000,
                        nullptr);
}

int CountJobs(int port, int which) {
    http_t* http = Connect(port);
    if (!http) return -1;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(http, &jobs, nullptr, 0, which);
    cupsFreeJobs(count, jobs);
    httpClose(http);
    return count;
}

}  // namespace

CupsServer::CupsServer() : dir_(QDir::tempPath() + QStringLiteral("/rcl-cups-XXXXXX")) {
    if (!QFile::exists(QString::fromLatin1(kDaemon))) {
        error_ = QStringLiteral("cupsd not installed (cups-daemon): run scripts/setup.sh");
        return;
    }
    // The backend runs as "nobody" under root: it must reach the folder.
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
    if (!dir_.isValid()) {
        error_ = QStringLiteral("cannot make a temporary folder: %1").arg(dir_.errorString());
        return;
    }
    ClaimServerFolder(dir_.path(), QStringLiteral("rcl-cups-*"), {QStringLiteral("owner.pid")});
    port_ = FreePort();
    if (port_ == 0 || !WriteConfiguration()) {
        if (error_.isEmpty()) error_ = QStringLiteral("cannot prepare the server's folder");
        return;
    }
    process_ = std::make_unique<QProcess>();
    process_->setStandardOutputFile(dir_.filePath(QStringLiteral("log/stdout")));
    process_->setStandardErrorFile(dir_.filePath(QStringLiteral("log/stdout")), QIODevice::Append);
    process_->start(
        QStringLiteral("setpriv"),
        {QStringLiteral("--pdeathsig=TERM"), QStringLiteral("--"), QString::fromLatin1(kDaemon),
         QStringLiteral("-f"), QStringLiteral("-c"), dir_.filePath(QStringLiteral("cupsd.conf")),
         QStringLiteral("-s"), dir_.filePath(QStringLiteral("cups-files.conf"))});
    process_->waitForStarted(30000);
    QElapsedTimer waited;
    waited.start();
    while (Running() && waited.elapsed() < 60000) {
        if (http_t* http = Connect(port_)) {
            httpClose(http);
            return;
        }
        QThread::msleep(100);
    }
    QFile log(dir_.filePath(QStringLiteral("log/error_log")));
    error_ =
        QStringLiteral("cupsd did not start: %1")
            .arg(log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(2000))
                                               : QString());
}

CupsServer::~CupsServer() {
    if (pointed_) {
        cupsSetServer(nullptr);
        if (savedServer_.isNull())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", savedServer_);
    }
    if (process_ && Running()) {
        ::kill(static_cast<pid_t>(process_->processId()), SIGTERM);
        if (!process_->waitForFinished(30000)) process_->kill();
        process_->waitForFinished(5000);
    }
}

bool CupsServer::WriteConfiguration() {
    const QDir root(dir_.path());
    for (const char* folder : {"spool/tmp", "cache", "state", "log", "ppd", "bin/backend",
                               "bin/daemon", "bin/filter", "bin/cgi-bin", "out"})
        if (!root.mkpath(QString::fromLatin1(folder))) return false;
    ::chmod(QFile::encodeName(OutputDir()).constData(), 01777);
    // cupsd runs its backends through its own helper.
    if (!QFile::link(QStringLiteral("/usr/lib/cups/daemon/cups-exec"),
                     root.filePath(QStringLiteral("bin/daemon/cups-exec"))))
        return false;
    const QString files =
        QStringLiteral(
            "FileDevice Yes\nServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\n"
            "TempDir %1/spool/tmp\nCacheDir %1/cache\nStateDir %1/state\n"
            "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\nPageLog %1/log/page_log\n")
            .arg(dir_.path()) +
        (::geteuid() == 0 ? QStringLiteral("User nobody\nGroup nogroup\n") : QString());
    const QString printers =
        QStringLiteral(
            "<Printer %1>\nState Idle\nAccepting Yes\nDeviceURI testfile:%3\n</Printer>\n"
            "<Printer %2>\nState Idle\nAccepting No\nDeviceURI testfile:%3\n</Printer>\n")
            .arg(QString::fromLatin1(kPrinter), QString::fromLatin1(kRefusing), OutputDir());
    return WriteFile(root.filePath(QStringLiteral("cupsd.conf")),
                     QStringLiteral(
                         "Listen 127.0.0.1:%1\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                         "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n"
                         "</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                         "  </Limit>\n</Policy>\n")
                         .arg(port_)
                         .toUtf8()) &&
           WriteFile(root.filePath(QStringLiteral("cups-files.conf")), files.toUtf8()) &&
           WriteFile(root.filePath(QStringLiteral("printers.conf")), printers.toUtf8()) &&
           WriteFile(root.filePath(QStringLiteral("bin/backend/testfile")), kBackend,
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                         QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

void CupsServer::UseForThisProcess() {
    if (!pointed_) savedServer_ = qgetenv("CUPS_SERVER");
    pointed_ = true;
    const QByteArray address = "127.0.0.1:" + QByteArray::number(port_);
    qputenv("CUPS_SERVER", address);
    cupsSetServer(address.constData());
}

int CupsServer::Jobs() const { return CountJobs(port_, CUPS_WHICHJOBS_ALL); }

bool CupsServer::WaitUntilIdle() const {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        if (CountJobs(port_, CUPS_WHICHJOBS_ACTIVE) == 0) return true;
        QThread::msleep(100);
    }
    return false;
}

QStringList CupsServer::Outputs() const {
    return QDir(OutputDir()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

QString CupsServer::OutputDir() const { return dir_.filePath(QStringLiteral("out")); }
