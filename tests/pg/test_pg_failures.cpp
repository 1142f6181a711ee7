// What goes wrong with a report database on a server, as the report
// component meets it: each failure a message in Portuguese naming its cause,
// no file written, and the next report works once the cause is gone.
#include <gtest/gtest.h>

#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "DatabasePassword.h"
#include "DatabaseUrl.h"
#include "DateUtils.h"
#include "Forms.h"
#include "PgFixture.h"
#include "QtPrinters.h"
#include "ReportDatabase.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "ReportQuery.h"
#include "ReportSnapshot.h"
#include "ReportWorker.h"

namespace {

using namespace std::chrono_literals;

// A definition whose query, on PostgreSQL, is `sql`.
QByteArray DefinitionRunning(const QString& sql) {
    return QStringLiteral(
               "object Report: TReportDefinition\n"
               "  Code = 'RCL047'\n"
               "  Title = 'Teste'\n"
               "  SQL.Strings = ('SELECT sistema AS SISTEMA FROM limpeza')\n"
               "  SQLPostgreSQL.Strings = ('%1')\n"
               "  object colSistema: TReportColumn\n"
               "    FieldName = 'SISTEMA'\n"
               "  end\n"
               "end\n")
        .arg(sql)
        .toUtf8();
}

const QString kSlowDefinitionFile = QStringLiteral("RCL047_lento.rpt");

QString Server() { return QStringLiteral("127.0.0.1:%1").arg(TestServer().Port()); }

// Ends, from the server's side, the connection of the report user that is
// sleeping in a query: a connection lost in the middle of a report.
void EndTheSleepingReport(const std::atomic<bool>& stop) {
    const QString sql = QStringLiteral(
                            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                            "WHERE usename = '%1' AND wait_event = 'PgSleep'")
                            .arg(kReportUser);
    for (int i = 0; i < 400 && !stop; ++i) {
        QString output;
        if (TestServer().Psql("postgres", sql, &output) && output.trimmed() == "t") return;
        std::this_thread::sleep_for(50ms);
    }
}

// Answers each password prompt of the database with what `typed` holds at
// the time (Cancel when it is empty), noting the prompt's text in `asked`.
void AnswerPasswordPrompts(QStringList& asked, const QString& typed) {
    Application->SetModalHook([&asked, &typed](QDialog& dialog) {
        auto* prompt = qobject_cast<TfrmSenhaBanco*>(&dialog);
        if (!prompt) return int(QDialog::Rejected);
        asked << prompt->Prompt();
        if (typed.isEmpty()) return int(QDialog::Rejected);
        prompt->SetValue(typed);
        return int(QDialog::Accepted);
    });
}

struct FailureCase {
    const char* name;
    std::function<QString(const PgDatabase&)> url;  // where the report reads
    QString definition;                             // definition text on PostgreSQL; "" RCL047
    std::chrono::milliseconds timeLimit;
    std::function<QString(const PgDatabase&)> says;  // the message
    std::function<void(const PgDatabase&)> setup = {};  // what the administrator did first
};

class ServerFailure : public ::testing::TestWithParam<FailureCase> {
protected:
    PgDatabase db_{PgDatabase::Content::Sample};
};

TEST_P(ServerFailure, SaysWhyWritesNothingAndTheNextReportWorks) {
    const FailureCase& c = GetParam();
    if (c.setup) c.setup(db_);
    ReportAsk ask{c.definition.isEmpty() ? "RCL047_resumo.rpt" : kSlowDefinitionFile,
                  EncodeDate(2024, 1, 1),
                  EncodeDate(2025, 12, 31),
                  true,
                  {},
                  c.timeLimit};
    const ReportOutcome failed = PrintReport(
        c.url(db_), ask, c.definition.isEmpty() ? QByteArray() : DefinitionRunning(c.definition));
    EXPECT_EQ(failed.error, c.says(db_));
    EXPECT_EQ(failed.rows, -1);
    EXPECT_TRUE(failed.outputFiles.isEmpty()) << failed.outputFiles.join(", ").toStdString();

    ask.definition = "RCL047_resumo.rpt";
    const ReportOutcome next = PrintReport(db_.Url(), ask);
    EXPECT_TRUE(next.error.isEmpty()) << next.error.toStdString();
    EXPECT_EQ(next.rows, 4);
}

QString Slow(const QString& source) { return QDir(REPORTS_DIR).filePath(source); }

INSTANTIATE_TEST_SUITE_P(
    Causes, ServerFailure,
    ::testing::Values(
        FailureCase{
            "UnknownDatabase",
            [](const PgDatabase& db) { return QString(db.Url()).replace(db.Name(), "nao_existe"); },
            "", 5min,
            [](const PgDatabase&) {
                return QStringLiteral("O banco de dados nao_existe não existe no servidor %1.")
                    .arg(Server());
            }},
        FailureCase{
            "PasswordRefused",
            [](const PgDatabase& db) { return QString(db.Url()).replace(kReportUser, "errada"); },
            "", 5min,
            [](const PgDatabase&) {
                return QStringLiteral(
                           "O servidor de banco de dados %1 recusou a senha do usuário errada "
                           "guardada no arquivo de senhas %2: corrija-a nesse arquivo (password "
                           "authentication failed for user \"errada\").")
                    .arg(Server(), qEnvironmentVariable("PGPASSFILE"));
            }},
        FailureCase{
            "UnknownConnectionOption",
            [](const PgDatabase& db) { return db.Url() + "?sslmod=require"; }, "", 5min,
            [](const PgDatabase&) {
                return QStringLiteral(
                    "O endereço do banco de dados de relatórios tem o parâmetro 'sslmod', que o "
                    "PostgreSQL não conhece: confira como ele se escreve (sslmode, "
                    "connect_timeout...) (invalid connection option \"sslmod\").");
            }},
        FailureCase{"TableTheUserMayNotRead", [](const PgDatabase& db) { return db.Url(); },
                    "SELECT sistema AS SISTEMA FROM segredo", 5min,
                    [](const PgDatabase& db) {
                        return QStringLiteral(
                                   "O usuário %1 não tem permissão para ler a tabela segredo no "
                                   "banco de dados de relatórios %2 (permission denied for table "
                                   "segredo).")
                            .arg(kReportUser, db.Name());
                    },
                    [](const PgDatabase& db) { db.Exec("CREATE TABLE segredo (sistema text)"); }},
        FailureCase{"SyntaxErrorWithoutTheDriversStatement",
                    [](const PgDatabase& db) { return db.Url(); },
                    "SELEC sistema AS SISTEMA FROM limpeza", 5min,
                    [](const PgDatabase&) {
                        return QStringLiteral(
                            "Erro na consulta do relatório: syntax error at or near \"SELEC\"");
                    }},
        FailureCase{"CommitAndDeleteAfterASelect", [](const PgDatabase& db) { return db.Url(); },
                    "SELECT sistema AS SISTEMA FROM limpeza; COMMIT; DELETE FROM limpeza", 5min,
                    [](const PgDatabase&) {
                        return QStringLiteral(
                                   "%1:1:1: Report: a consulta SQLPostgreSQL.Strings tem mais de um "
                                   "comando (o segundo começa em \"COMMIT; DELETE FROM limpeza\"); "
                                   "um relatório roda um só comando")
                            .arg(Slow(kSlowDefinitionFile));
                    },
                    [](const PgDatabase& db) {
                        db.Exec(QStringLiteral("GRANT DELETE ON limpeza TO %1").arg(kReportUser));
                    }},
        FailureCase{
            "NoSuchServer",
            [](const PgDatabase& db) {
                return QString(db.Url()).replace("127.0.0.1", "servidor-que-nao-existe.invalid");
            },
            "", 5min,
            [](const PgDatabase&) {
                return QStringLiteral(
                           "O servidor de banco de dados servidor-que-nao-existe.invalid:%1 "
                           "não foi encontrado: confira o nome do servidor no endereço do "
                           "banco de dados.")
                    .arg(TestServer().Port());
            }},
        FailureCase{"MissingTable", [](const PgDatabase& db) { return db.Url(); },
                    "SELECT sistema AS SISTEMA FROM limpeza_antiga", 5min,
                    [](const PgDatabase& db) {
                        return QStringLiteral(
                                   "A consulta do relatório usa a tabela limpeza_antiga, que não "
                                   "existe no banco de dados de relatórios %1.")
                            .arg(db.Name());
                    }},
        FailureCase{"StatementTimeout", [](const PgDatabase& db) { return db.Url(); },
                    "SELECT sistema AS SISTEMA FROM limpeza, pg_sleep(20)", 300ms,
                    [](const PgDatabase&) {
                        return QStringLiteral(
                                   "A consulta do relatório %1 foi interrompida: passou do tempo "
                                   "limite de 300 ms.")
                            .arg(Slow(kSlowDefinitionFile));
                    }},
        FailureCase{"WriteRefusedByTheSnapshot", [](const PgDatabase& db) { return db.Url(); },
                    "DELETE FROM limpeza RETURNING sistema AS SISTEMA", 5min,
                    [](const PgDatabase&) {
                        return QStringLiteral(
                                   "A consulta do relatório %1 foi recusada: ela tenta alterar os "
                                   "dados, e um relatório só pode ler os dados.")
                            .arg(Slow(kSlowDefinitionFile));
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerFailure, WriteRefusedChangesNothingEvenWhereTheUserMayWrite) {
    db_.Exec(QStringLiteral("GRANT DELETE ON limpeza TO %1").arg(kReportUser));
    const QVariant before = db_.Scalar("SELECT count(*) FROM limpeza");
    const ReportOutcome failed =
        PrintReport(db_.Url(), {kSlowDefinitionFile, 0, 0, true, {}},
                    DefinitionRunning("DELETE FROM limpeza RETURNING sistema AS SISTEMA"));
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(db_.Scalar("SELECT count(*) FROM limpeza"), before);
}

TEST_F(ServerFailure, ServerDownAndBackAgain) {
    const ReportAsk ask{
        "RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}};
    ASSERT_EQ(PrintReport(db_.Url(), ask).rows, 4) << "a connection to keep";
    TestServer().Stop();
    const ReportOutcome down = PrintReport(db_.Url(), ask);
    ASSERT_TRUE(TestServer().Start()) << TestServer().Error().toStdString();
    EXPECT_EQ(down.error,
              QStringLiteral("O servidor de banco de dados %1 não responde: ele pode estar "
                             "desligado, ou o endereço ou a porta estão errados.")
                  .arg(Server()));
    EXPECT_TRUE(down.outputFiles.isEmpty());
    EXPECT_EQ(PrintReport(db_.Url(), ask).rows, 4) << "the connection is made again";
}

TEST_F(ServerFailure, ConnectionLostInTheMiddleOfAReport) {
    std::atomic<bool> stop = false;
    std::thread killer([&stop] { EndTheSleepingReport(stop); });
    const ReportOutcome lost =
        PrintReport(db_.Url(), {kSlowDefinitionFile, 0, 0, true, {}},
                    DefinitionRunning("SELECT sistema AS SISTEMA FROM limpeza, pg_sleep(20)"));
    stop = true;
    killer.join();
    EXPECT_EQ(lost.error,
              "A conexão com o servidor de banco de dados 127.0.0.1 caiu durante o relatório; "
              "nada foi gerado. Tente de novo.");
    EXPECT_TRUE(lost.outputFiles.isEmpty());
    const ReportOutcome next = PrintReport(
        db_.Url(),
        {"RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}});
    EXPECT_EQ(next.rows, 4) << next.error.toStdString();
}

// Cancel stops a statement the server is still working on, before any row
// came back: the server is asked to cancel it. (Without that, this one
// would end, with its row, only when the server's sleep does.)
TEST_F(ServerFailure, CancelStopsAStatementTheServerIsStillRunning) {
    HostConfig config;
    ApplyDatabaseUrl(db_.Url(), config);
    QSqlDatabase db = ReportDatabase(config);
    std::atomic<bool> cancel = false;
    std::thread person([&cancel] {
        std::this_thread::sleep_for(300ms);
        cancel = true;
    });
    bool aborted = false;
    QString error;
    try {
        const ReportSnapshot snapshot(db, 0ms);
        RunReportQuery(db, "SELECT 1 AS UM FROM pg_sleep(100)", TParams(), {},
                       {kSlowDefinitionFile, &cancel, 0ms});
    } catch (const EAbort&) {
        aborted = true;
    } catch (const Exception& e) {
        error = e.Message();
    }
    person.join();
    EXPECT_TRUE(aborted) << error.toStdString();
    EXPECT_EQ(RunReportQuery(db, "SELECT count(*) AS N FROM limpeza", TParams()).RowCount(), 1)
        << "the connection serves the next report";
}

// The backend of the report user that sleeps in a query, stopped (SIGSTOP)
// as a server that no longer answers; 0 when none was found in time.
qint64 StopTheSleepingBackend() {
    const QString sql = QStringLiteral("SELECT pid FROM pg_stat_activity WHERE usename = '%1' AND "
                                       "wait_event = 'PgSleep'")
                            .arg(kReportUser);
    for (int i = 0; i < 400; ++i) {
        QString output;
        TestServer().Psql("postgres", "\\pset tuples_only on\n" + sql, &output);
        if (const qint64 pid = output.trimmed().toLongLong(); pid > 0)
            return ::kill(static_cast<pid_t>(pid), SIGSTOP) == 0 ? pid : 0;
        std::this_thread::sleep_for(50ms);
    }
    return 0;
}

// The process's state in /proc is "T", stopped.
bool ProcessStopped(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end > 0 && line.mid(end + 2, 1) == "T";
}

// The host's settings of a person at the screen reading from the tests'
// server, writing into a folder of its own; the settings before are put
// back however the test ends.
struct ScreenOnTheServer {
    explicit ScreenOnTheServer(const QString& url) {
        HostConfig& config = HostConfig::Instance();
        ApplyDatabaseUrl(url, config);
        config.reportsDir = QStringLiteral(REPORTS_DIR);
        config.outputDir = out.path();
    }
    ~ScreenOnTheServer() { HostConfig::Instance() = saved; }
    ScreenOnTheServer(const ScreenOnTheServer&) = delete;
    ScreenOnTheServer& operator=(const ScreenOnTheServer&) = delete;

    const HostConfig saved = HostConfig::Instance();
    QTemporaryDir out;
};

// A server that stops answering in the middle of a report: Cancelar gives
// the screen back while the server is still frozen, nothing is written, and
// the next report works once it answers again. Before, "Cancelando..."
// stayed on screen for as long as the server was frozen.
TEST_F(ServerFailure, CancelGivesTheScreenBackWhileTheServerIsFrozen) {
    const ScreenOnTheServer screen(db_.Url());
    const QTemporaryDir& out = screen.out;
    std::atomic<qint64> frozen = 0;
    std::thread freezer([&frozen] { frozen = StopTheSleepingBackend(); });
    bool clicked = false;
    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [&] {
        if (clicked || frozen == 0) return;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->inherits("ReportProgressDialog")) {
                clicked = true;
                QTest::mouseClick(widget->findChild<QPushButton*>(), Qt::LeftButton);
            }
    });
    person.start(20);
    // Should the screen wait for the server after all, the server answers
    // again in a while, so that the test fails instead of hanging.
    QTimer::singleShot(60000, [&frozen] { ::kill(static_cast<pid_t>(frozen.load()), SIGCONT); });
    bool aborted = false;
    TReportDesignerDialog designer;
    try {
        designer.Print(ReportDefinition::ReadFromText(
            DefinitionRunning("SELECT sistema AS SISTEMA FROM limpeza, pg_sleep(20)"),
            QDir(REPORTS_DIR).filePath(kSlowDefinitionFile)));
    } catch (const EAbort&) {
        aborted = true;
    } catch (const Exception& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    person.stop();
    freezer.join();
    ASSERT_GT(frozen.load(), 0) << "no backend sleeping in the report's query";
    const bool stillFrozen = ProcessStopped(frozen.load());
    ::kill(static_cast<pid_t>(frozen.load()), SIGCONT);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(stillFrozen) << "the screen answered while the server was still frozen";
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    EXPECT_TRUE(WaitForAbandonedWork(30s));
    const ReportOutcome next = PrintReport(
        db_.Url(), {"RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}});
    EXPECT_EQ(next.rows, 4) << next.error.toStdString();
}

// A server that does not answer at all when a report starts (its postmaster
// stopped): the progress says the host waits for the database, Cancelar
// gives the screen back while the server is still frozen. Before, the
// window froze until libpq gave up connecting.
TEST_F(ServerFailure, CancelGivesTheScreenBackWhileTheServerDoesNotAnswerTheConnection) {
    const ScreenOnTheServer screen(db_.Url());
    const QTemporaryDir& out = screen.out;
    const auto postmaster = static_cast<pid_t>(TestServer().Pid());
    ASSERT_GT(postmaster, 0);
    ASSERT_EQ(::kill(postmaster, SIGSTOP), 0);
    QString status;
    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (status.isEmpty() && widget->isVisible() && widget->inherits("ReportProgressDialog")) {
                for (const QLabel* label : widget->findChildren<QLabel*>())
                    if (label->text().startsWith(QStringLiteral("Aguardando"))) status = label->text();
                QTest::mouseClick(widget->findChild<QPushButton*>(), Qt::LeftButton);
            }
    });
    person.start(20);
    QTimer::singleShot(60000, [postmaster] { ::kill(postmaster, SIGCONT); });  // fail, never hang
    bool aborted = false;
    TReportDesignerDialog designer;
    try {
        designer.Print(ReportDefinition::Read(QDir(REPORTS_DIR).filePath("RCL047_resumo.rpt")));
    } catch (const EAbort&) {
        aborted = true;
    } catch (const Exception& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    person.stop();
    const bool stillFrozen = ProcessStopped(postmaster);
    ::kill(postmaster, SIGCONT);
    EXPECT_EQ(status, QStringLiteral("Aguardando o banco de dados…"));
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(stillFrozen) << "the screen answered only once the server did";
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    EXPECT_TRUE(WaitForAbandonedWork(30s));
}

// The password the server asks for and libpq did not find: the person types
// it; a wrong one is refused with a message, Cancel ends the report quietly,
// and the right one is kept for the next reports of the session.
TEST_F(ServerFailure, PasswordAskedOfThePerson) {
    const QString url = QString(db_.Url()).replace(kReportUser, kPromptedUser);
    db_.Exec(QStringLiteral("GRANT SELECT ON limpeza TO %1").arg(kPromptedUser));
    const ReportAsk ask{
        "RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}};
    QStringList asked;
    QString typed;
    AnswerPasswordPrompts(asked, typed);
    EXPECT_TRUE(PrintReport(url, ask).aborted);
    typed = "chute";
    EXPECT_EQ(PrintReport(url, ask).error,
              QStringLiteral("O servidor de banco de dados %1 recusou a senha do usuário %2 "
                             "(password authentication failed for user \"%2\").")
                  .arg(Server(), kPromptedUser));
    typed = kPromptedPassword;
    EXPECT_EQ(PrintReport(url, ask).rows, 4);
    typed.clear();
    EXPECT_EQ(PrintReport(url, ask).rows, 4) << "kept for the session";
    Application->SetModalHook(nullptr);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_EQ(asked.value(0), QStringLiteral("Senha do usuário %1 em postgresql://%1@%2/%3:")
                                  .arg(kPromptedUser, Server(), db_.Name()));
}

// The report session is read-only and under the time limit on the server's
// side too, not only inside its transaction: a text that commits that
// transaction (Qt's driver runs every statement of a text it prepares) can
// neither write nor run past the limit. Definitions never get such a text to
// the server; this holds for any other way one might.
TEST_F(ServerFailure, SessionStaysReadOnlyAndLimitedPastACommit) {
    db_.Exec(QStringLiteral("GRANT DELETE ON limpeza TO %1").arg(kReportUser));
    const QVariant before = db_.Scalar("SELECT count(*) FROM limpeza");
    HostConfig config;
    ApplyDatabaseUrl(db_.Url(), config);
    QSqlDatabase db = ReportDatabase(config);
    const auto run = [&db](const QString& sql) {
        try {
            const ReportSnapshot snapshot(db, 300ms);
            RunReportQuery(db, sql, TParams(), {}, {kSlowDefinitionFile, nullptr, 300ms});
        } catch (const Exception& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_FALSE(run("SELECT 1 AS X; COMMIT; DELETE FROM limpeza").isEmpty());
    EXPECT_EQ(db_.Scalar("SELECT count(*) FROM limpeza"), before);
    EXPECT_EQ(run("SELECT 1 AS X; COMMIT; SELECT pg_sleep(30)"),
              QStringLiteral("A consulta do relatório %1 foi interrompida: passou do tempo limite "
                             "de 300 ms.")
                  .arg(kSlowDefinitionFile));
}

// The administrator changes the password of a user whose password the person
// typed earlier in the session: the next report asks for it again, saying
// why, instead of failing until the host is restarted.
TEST_F(ServerFailure, PasswordChangedWhileTheHostRunsIsAskedAgain) {
    const QString url = QString(db_.Url()).replace(kReportUser, kPromptedUser);
    db_.Exec(QStringLiteral("GRANT SELECT ON limpeza TO %1").arg(kPromptedUser));
    const ReportAsk ask{
        "RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}};
    QStringList asked;
    QString typed = kPromptedPassword;
    AnswerPasswordPrompts(asked, typed);
    EXPECT_EQ(PrintReport(url, ask).rows, 4);
    db_.Exec(QStringLiteral("ALTER ROLE %1 PASSWORD 'trocada'").arg(kPromptedUser));
    typed = "trocada";
    const ReportOutcome after = PrintReport(url, ask);
    db_.Exec(QStringLiteral("ALTER ROLE %1 PASSWORD '%2'").arg(kPromptedUser, kPromptedPassword));
    Application->SetModalHook(nullptr);
    EXPECT_EQ(after.rows, 4) << after.error.toStdString();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[1].startsWith(
        QStringLiteral("O servidor recusou a senha informada antes; ela pode ter sido trocada.\n")))
        << asked[1].toStdString();
    KeepDatabasePassword([&url] {
        HostConfig config;
        ApplyDatabaseUrl(url, config);
        return config;
    }(), QString());
}

// libpq ignores a password file that others may read (it says so only on
// standard error): the prompt that follows names the file and the cure.
TEST_F(ServerFailure, PasswordFileOthersMayReadIsNamedInThePrompt) {
    const QString original = qEnvironmentVariable("PGPASSFILE");
    QTemporaryDir dir;
    const QString open = dir.filePath("pgpass");
    ASSERT_TRUE(QFile::copy(original, open));
    ASSERT_TRUE(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                QFile::ReadOther));
    qputenv("PGPASSFILE", QFile::encodeName(open));
    QStringList asked;
    const QString typed;
    AnswerPasswordPrompts(asked, typed);
    const ReportOutcome outcome = PrintReport(
        db_.Url(), {"RCL047_resumo.rpt", EncodeDate(2024, 1, 1), EncodeDate(2025, 12, 31), true, {}});
    Application->SetModalHook(nullptr);
    qputenv("PGPASSFILE", QFile::encodeName(original));
    EXPECT_TRUE(outcome.aborted) << outcome.error.toStdString();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(
        QStringLiteral("O arquivo de senhas %1 foi ignorado: outros usuários podem lê-lo "
                       "(permissões 0644); deixe-o só para o dono (chmod 600 %1).\n")
            .arg(open)))
        << asked[0].toStdString();
}

}  // namespace
