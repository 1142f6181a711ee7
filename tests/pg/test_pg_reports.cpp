// The RCL047 reports on a PostgreSQL server and on the SQLite file, over the
// same sample made by each database's scripts: the same PDF, page by page.
#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "DatabaseScripts.h"
#include "DateUtils.h"
#include "PgFixture.h"
#include "ReportDatabase.h"
#include "SqliteKind.h"
#include "QtPrinters.h"

namespace {

struct SameCase {
    const char* name;
    const char* definition;
    TDateTime first;
    TDateTime last;
    bool all;
    const char* list;
    bool rows;  // whether the report has rows
};

class SameOnBothDatabases : public ::testing::TestWithParam<SameCase> {
protected:
    static void SetUpTestSuite() {
        server_ = new PgDatabase(PgDatabase::Content::Sample);
        folder_ = new QTemporaryDir;
        CreateSqliteDatabase(SqliteFile(), REPORTS_DIR, true);
    }
    static void TearDownTestSuite() {
        delete server_;
        delete folder_;
    }
    // Made as the host makes its sample, from the same scripts.
    static QString SqliteFile() { return folder_->filePath("amostra.db"); }

    static PgDatabase* server_;
    static QTemporaryDir* folder_;
};

PgDatabase* SameOnBothDatabases::server_ = nullptr;
QTemporaryDir* SameOnBothDatabases::folder_ = nullptr;

TEST_P(SameOnBothDatabases, SamePdf) {
    const SameCase& c = GetParam();
    const ReportAsk ask{c.definition, c.first, c.last, c.all, QString::fromUtf8(c.list)};
    const ReportOutcome file = PrintReport(SqliteFile(), ask);
    const ReportOutcome server = PrintReport(server_->Url(), ask);
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    ASSERT_TRUE(server.error.isEmpty()) << server.error.toStdString();
    EXPECT_EQ(file.rows > 0, c.rows) << file.rows;
    EXPECT_EQ(server.rows, file.rows);
    const QString text = PdfText(server.file);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text, PdfText(file.file));
}

INSTANTIATE_TEST_SUITE_P(
    Rcl047, SameOnBothDatabases,
    ::testing::Values(SameCase{"DetailedMonthTwoSystems", "RCL047_detalhado.rpt",
                               EncodeDate(2024, 3, 1), EncodeDate(2024, 3, 31), false,
                               R"(["Compras/Suprimentos","Estoque"])", true},
                      SameCase{"DetailedTwoYearsAll", "RCL047_detalhado.rpt",
                               EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, "", true},
                      SameCase{"DetailedNothingChosen", "RCL047_detalhado.rpt",
                               EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), false, "", false},
                      SameCase{"SummaryLeapDayOneSystem", "RCL047_resumo.rpt",
                               EncodeDate(2024, 2, 29), EncodeDate(2024, 2, 29), false,
                               R"(["Documentos Fiscais/Financeiro"])", true},
                      SameCase{"SummaryWholeCalendar", "RCL047_resumo.rpt", EncodeDate(1, 1, 1),
                               EncodeDate(9999, 12, 31), true, "", true},
                      SameCase{"SummaryReversedPeriod", "RCL047_resumo.rpt", EncodeDate(2025, 1, 1),
                               EncodeDate(2024, 1, 1), true, "", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// A cleanup job writing while reports run, in transactions of two rows of
// "Estoque" (1 and 2 records). Connections wait for nobody: on SQLite a
// lock held by a reader fails the commit at once.
class CleanupJob {
public:
    explicit CleanupJob(std::function<QSqlDatabase(const QString& name)> connect)
        : thread_([this, connect] { Run(connect); }) {}
    ~CleanupJob() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int Commits() const { return commits_; }
    QStringList Failures() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return failures_;
    }

private:
    void Run(const std::function<QSqlDatabase(const QString&)>& connect) {
        const QString name = QStringLiteral("tarefa_de_limpeza");
        {
            QSqlDatabase db = connect(name);
            QSqlQuery insert(db);
            while (!stop_) {
                const bool ok = db.transaction() &&
                                insert.exec(
                                    "INSERT INTO limpeza (data_hora, sistema, tabela, registros, "
                                    "usuario) VALUES "
                                    "('2024-06-15 12:00:00', 'Estoque', 'ESCRITOR', 1, 'JOB'), "
                                    "('2024-06-15 12:00:00', 'Estoque', 'ESCRITOR', 2, 'JOB')") &&
                                db.commit();
                if (ok) {
                    ++commits_;
                    continue;
                }
                const std::lock_guard<std::mutex> lock(mutex_);
                failures_
                    << (insert.lastError().isValid() ? insert.lastError() : db.lastError()).text();
                db.rollback();
            }
        }
        QSqlDatabase::removeDatabase(name);
    }

    std::atomic<bool> stop_ = false;
    std::atomic<int> commits_ = 0;
    mutable std::mutex mutex_;
    QStringList failures_;
    std::thread thread_;
};

// The summary's lines as the PDF shows them: system (or "Total geral"),
// cleanups, records.
struct SummaryLine {
    qlonglong cleanups = 0;
    qlonglong records = 0;
};

QMap<QString, SummaryLine> SummaryLines(const QString& pdfText) {
    static const QRegularExpression line(
        QStringLiteral(
            "^\\s*(Compras/Suprimentos|Documentos Fiscais/Financeiro|Estoque|"
            "Planejamento Alim\\. Industrial|Total geral)\\s+([\\d.]+)\\s+([\\d.]+)\\s*$"),
        QRegularExpression::MultilineOption);
    QMap<QString, SummaryLine> lines;
    for (const QRegularExpressionMatch& m : line.globalMatch(pdfText))
        lines[m.captured(1)] = {m.captured(2).remove('.').toLongLong(),
                                m.captured(3).remove('.').toLongLong()};
    return lines;
}

enum class Kind { Sqlite, Server };

class WriterDuringReports : public ::testing::TestWithParam<Kind> {
protected:
    static constexpr int kRows = 100000;

    // The database, with kRows sample cleanups, its address and how the
    // job connects to it.
    void MakeDatabase() {
        if (GetParam() == Kind::Server) {
            server_ = std::make_unique<PgDatabase>(PgDatabase::Content::Sample, kRows);
            url_ = server_->Url();
            return;
        }
        url_ = folder_.filePath("limpeza.db");
        {
            QSqlDatabase db = SqliteConnection("preparo", url_);
            QSqlQuery(db).exec("PRAGMA journal_mode=WAL");  // as the host makes its files
            CreateReportTables(db, REPORTS_DIR, true, kRows);
        }
        QSqlDatabase::removeDatabase("preparo");
    }
    static QSqlDatabase SqliteConnection(const QString& name, const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
        EXPECT_TRUE(db.open());
        return db;
    }
    std::function<QSqlDatabase(const QString&)> JobConnection() {
        if (GetParam() == Kind::Sqlite)
            return [path = url_](const QString& name) { return SqliteConnection(name, path); };
        const QString database = server_->Name();
        return [database](const QString& name) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
            db.setHostName(TestServer().SocketDir());
            db.setPort(TestServer().Port());
            db.setUserName(PgServer::kAdmin);
            db.setDatabaseName(database);
            EXPECT_TRUE(db.open());
            return db;
        };
    }

    QTemporaryDir folder_;
    std::unique_ptr<PgDatabase> server_;
    QString url_;
};

TEST_P(WriterDuringReports, NeitherHoldsUpTheJobNorShowsHalfOfWhatItWrote) {
    MakeDatabase();
    const ReportAsk ask{"RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true,
                        ""};
    const SummaryLine before = SummaryLines(PdfText(PrintReport(url_, ask).file)).value("Estoque");
    ASSERT_GT(before.cleanups, 0);
    CleanupJob job(JobConnection());
    for (int report = 0; report < 3; ++report) {
        const ReportOutcome outcome = PrintReport(url_, ask);
        ASSERT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
        const QMap<QString, SummaryLine> lines = SummaryLines(PdfText(outcome.file));
        ASSERT_EQ(lines.size(), 5);
        SummaryLine sum;
        for (const QString& system : lines.keys()) {
            if (system == "Total geral") continue;
            sum.cleanups += lines[system].cleanups;
            sum.records += lines[system].records;
        }
        EXPECT_EQ(lines["Total geral"].cleanups, sum.cleanups);
        EXPECT_EQ(lines["Total geral"].records, sum.records);
        const qlonglong written = lines["Estoque"].cleanups - before.cleanups;
        EXPECT_EQ(written % 2, 0) << "half of a job's transaction";
        EXPECT_EQ(lines["Estoque"].records - before.records, written / 2 * 3);
    }
    const int during = job.Commits();
    job.Stop();
    EXPECT_GT(during, 0);
    const QStringList failures = job.Failures();
    EXPECT_EQ(failures.size(), 0) << "the job waited for a report: " << failures.value(0).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, WriterDuringReports,
                         ::testing::Values(Kind::Sqlite, Kind::Server), [](const auto& info) {
                             return info.param == Kind::Sqlite ? "Sqlite" : "Server";
                         });

}  // namespace
