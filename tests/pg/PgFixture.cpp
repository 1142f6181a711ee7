#include "PgFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <memory>

#include "DatabaseScripts.h"
#include "DatabaseUrl.h"
#include "HostConfig.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "ReportOutputChoice.h"
#include "ReportSpy.h"
#include "SysUtils.h"
#include "Variants.h"

namespace {

std::unique_ptr<PgServer> server;
std::unique_ptr<QTemporaryDir> home;

// Starts the server before the first test and stops it after the last,
// whether the tests pass or not.
class PgEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        for (const char* name :
             {"PGPASSWORD", "PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "PGSERVICE"})
            qunsetenv(name);
        server = std::make_unique<PgServer>();
        ASSERT_TRUE(server->Running()) << server->Error().toStdString();
        ASSERT_TRUE(server->Psql(
            "postgres", QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2';"
                                       "CREATE ROLE errada LOGIN PASSWORD 'certa';"
                                       "CREATE ROLE %3 LOGIN PASSWORD '%4';"
                                       "CREATE ROLE dono LOGIN PASSWORD 'senha-do-dono';")
                            .arg(kReportUser, kReportPassword, kPromptedUser, kPromptedPassword)));
        home = std::make_unique<QTemporaryDir>();
        const QString passwords = home->filePath("pgpass");
        QFile file(passwords);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QString line = QStringLiteral("127.0.0.1:%1:*:%2:%3\n").arg(server->Port());
        file.write((line.arg(kReportUser, kReportPassword) + line.arg("errada", "errada") +
                    line.arg("dono", "senha-do-dono"))
                       .toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(passwords));
    }
    void TearDown() override {
        server.reset();
        home.reset();
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new PgEnvironment);

}  // namespace

PgServer& TestServer() { return *server; }

PgDatabase::PgDatabase(Content content, int sampleRows)
    : name_(QStringLiteral("rel_%1").arg(QUuid::createUuid().toString(QUuid::Id128).left(12))),
      connection_(QUuid::createUuid().toString()) {
    QString output;
    EXPECT_TRUE(
        TestServer().Psql("postgres", QStringLiteral("CREATE DATABASE %1;").arg(name_), &output))
        << output.toStdString();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    db.setHostName(TestServer().SocketDir());
    db.setPort(TestServer().Port());
    db.setUserName(QString::fromLatin1(PgServer::kAdmin));
    db.setDatabaseName(name_);
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    if (content == Content::Empty) return;
    CreateReportTables(db, QStringLiteral(REPORTS_DIR), content == Content::Sample,
                       sampleRows > 0 ? QVariant(sampleRows) : QVariant());
    EXPECT_TRUE(Exec(QStringLiteral("GRANT SELECT ON limpeza TO %1").arg(kReportUser)));
}

PgDatabase::~PgDatabase() {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
    TestServer().Psql("postgres", QStringLiteral("DROP DATABASE %1 WITH (FORCE);").arg(name_));
}

QString PgDatabase::Url() const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(kReportUser)
        .arg(TestServer().Port())
        .arg(name_);
}

QSqlDatabase PgDatabase::Admin() const { return QSqlDatabase::database(connection_); }

QVariant PgDatabase::Scalar(const QString& sql) const {
    QSqlQuery query(Admin());
    EXPECT_TRUE(query.exec(sql) && query.next())
        << sql.toStdString() << ": " << query.lastError().text().toStdString();
    return query.value(0);
}

bool PgDatabase::Exec(const QString& sql) const {
    QSqlQuery query(Admin());
    const bool ok = query.exec(sql);
    EXPECT_TRUE(ok) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    return ok;
}

namespace {

// The report screen's handler of BeforeGetQueryParams, as it fills the four
// parameters.
void FillAsTheScreen(const ReportAsk& ask, TParams& params) {
    if (TParam* p = params.FindParam("P_DATAINI")) p->SetValue(VarFromDateTime(ask.first));
    if (TParam* p = params.FindParam("P_DATAFIM")) p->SetValue(VarFromDateTime(ask.last));
    if (TParam* p = params.FindParam("P_SISTEMA")) p->SetAsString(ask.all ? QString() : ask.list);
    if (TParam* p = params.FindParam("P_TSISTEMA")) p->SetValue(QString(ask.all ? "T" : ""));
}

}  // namespace

ReportOutcome PrintReport(const QString& databaseUrl, const ReportAsk& ask,
                          const QByteArray& definitionText) {
    const HostConfig saved = HostConfig::Instance();
    QTemporaryDir out;
    HostConfig& config = HostConfig::Instance();
    ApplyDatabaseUrl(databaseUrl, config);
    config.reportsDir = QStringLiteral(REPORTS_DIR);
    config.outputDir = out.path();
    config.queryTimeLimit = ask.timeLimit;
    const ReportsIntoFolder reports(out.path());
    ReportOutcome outcome;
    ReportSpy spy;
    spy.reportDone = [&outcome](const QString&, const QString&, int rows, const QString& file) {
        outcome.rows = rows;
        outcome.file = file;
    };
    TReportDesignerDialog designer;
    designer.BeforeGetQueryParams = [&ask](TParams& params, bool&) {
        FillAsTheScreen(ask, params);
    };
    const QString path = QDir(QStringLiteral(REPORTS_DIR)).filePath(ask.definition);
    try {
        designer.Print(definitionText.isEmpty()
                           ? ReportDefinition::Read(path)
                           : ReportDefinition::ReadFromText(definitionText, path));
    } catch (const EAbort&) {
        outcome.aborted = true;
    } catch (const Exception& error) {
        outcome.error = error.Message();
    }
    outcome.outputFiles = QDir(out.path()).entryList(QDir::Files);
    if (!outcome.file.isEmpty()) {
        const QString kept = home->filePath(QFileInfo(outcome.file).fileName() +
                                            QUuid::createUuid().toString(QUuid::Id128));
        QFile::copy(outcome.file, kept);
        outcome.file = kept;
    }
    HostConfig::Instance() = saved;
    return outcome;
}
