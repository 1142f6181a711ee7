// The PostgreSQL tests' server, one for the whole program, and databases on
// it made the way an administrator makes them: the host's scripts, then the
// right to read for the reports' user.
#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>

#include "HostRun.h"
#include "PgServer.h"

// The user the host connects as, over TCP, with the password from the
// password file that the environment points PGPASSFILE at.
constexpr const char* kReportUser = "relatorio";
constexpr const char* kReportPassword = "senha-de-teste";
// Users of the password file with a password the server refuses ("errada"),
// with none (kPromptedUser: the host asks for it), and the owner of the
// databases made for --create-db ("dono").
constexpr const char* kPromptedUser = "perguntado";
constexpr const char* kPromptedPassword = "digitada";

// The running server; the test program's environment fails its first test
// when it could not start one.
PgServer& TestServer();

// A database of its own on the test server, dropped when it goes.
class PgDatabase {
public:
    enum class Content { Empty, Tables, Sample };
    // Sample: the scripts' sample of `sampleRows` rows (0: their default).
    explicit PgDatabase(Content content = Content::Tables, int sampleRows = 0);
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    const QString& Name() const { return name_; }
    // postgresql://relatorio@127.0.0.1:PORT/NAME
    QString Url() const;
    // A connection as the administrator, through the socket.
    QSqlDatabase Admin() const;
    QVariant Scalar(const QString& sql) const;
    bool Exec(const QString& sql) const;

private:
    QString name_;
    QString connection_;
};

// One report printed unattended, as the report screen asks for it, on the
// database at `databaseUrl` (a SQLite path or a PostgreSQL URI): what came
// out of it.
struct ReportOutcome {
    int rows = -1;  // as the report event said; -1 when there was none
    QString file;   // the PDF written
    QString error;  // the message of a failure
    bool aborted = false;
    QStringList outputFiles;  // everything in the output folder afterwards
};

struct ReportAsk {
    QString definition;  // a file of the project's reports folder
    double first = 0;    // the period, as TDateTime
    double last = 0;
    bool all = true;  // "Todas", else the list
    QString list;
    std::chrono::milliseconds timeLimit{std::chrono::minutes(5)};
};

// `definitionText`, when given, replaces the file's definition.
ReportOutcome PrintReport(const QString& databaseUrl, const ReportAsk& ask,
                          const QByteArray& definitionText = {});
