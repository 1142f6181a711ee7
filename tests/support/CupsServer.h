#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A CUPS server of the tests' own: Debian's cupsd with its configuration,
// spool and state in a temporary folder, listening on a free port of
// 127.0.0.1, stopped and removed by the destructor (and sent SIGTERM when the
// process that started it dies, whatever the way). It has two raw queues
// whose backend writes each job it is given, byte for byte, into Outputs():
// kPrinter, which accepts jobs, and kRefusing, which does not.
//
// Point libcups (and Qt's print support) at it with UseForThisProcess().
class CupsServer {
public:
    static constexpr const char* kPrinter = "rcl-teste";
    static constexpr const char* kRefusing = "rcl-recusa";

    // Starts the server; Error() says why when it could not.
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    bool Running() const { return process_ && process_->state() == QProcess::Running; }
    const QString& Error() const { return error_; }

    // CUPS_SERVER and libcups's server become this one's, until the
    // destructor puts them back.
    void UseForThisProcess();
    // The jobs the server has heard of, finished or not.
    int Jobs() const;
    // Waits (up to a minute) until no job is pending or printing.
    bool WaitUntilIdle() const;
    // The files the backend wrote, one a job ("<job>.pdf"), and beside each
    // "<job>.options" holding the copies asked for and the job's options.
    QStringList Outputs() const;
    QString OutputDir() const;

private:
    bool WriteConfiguration();
    QTemporaryDir dir_;
    int port_ = 0;
    QString error_;
    QByteArray savedServer_;
    bool pointed_ = false;
    std::unique_ptr<QProcess> process_;
};
