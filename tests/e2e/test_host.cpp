// The host application as its users run it: loading modules, scripts, exit
// statuses, and a test module's report end to end.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "HostRun.h"
#include "QtPrinters.h"

namespace {

int CountBySql(const QString& database, const QString& sql, const QVariantList& values) {
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(sql);
            for (const QVariant& value : values) query.addBindValue(value);
            if (query.exec() && query.next()) count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase("check");
    return count;
}

TEST(Host, TestModuleReportRunsEndToEndWithParametersBoundByName) {
    HostWorkspace workspace;
    QFile::copy(QString(TEST_REPORTS_DIR) + "/TST001_por_usuario.rpt", workspace.ReportsCopy() + "/TST001_por_usuario.rpt");
    const HostRun run = workspace.Run("open\ntype edtUsuario \"ADMIN' OR '1'='1\"\nclick sbtPrint\n"
                                      "type edtUsuario ADMIN\nclick sbtPrint\n",
                                      {"--module", TEST_MODULE_PATH});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QList<QJsonObject> reports = run.Events("report");
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0]["rows"].toInt(), 0) << "a quote in a value never changes the query";
    const int expected = CountBySql(workspace.Database(),
                                    "SELECT count(*) FROM limpeza WHERE usuario = ? AND data_hora < '2024-03-01'", {"ADMIN"});
    ASSERT_GT(expected, 0);
    EXPECT_EQ(reports[1]["rows"].toInt(), expected);
    const QString text = PdfText(reports[1]["file"].toString());
    EXPECT_TRUE(text.contains(QString::fromUtf8("Limpezas por usuário")));
    EXPECT_EQ(text.count(QRegularExpression("\\b\\d\\d/0[12]/2024 \\d\\d:\\d\\d")), expected);
    const QJsonArray params = run.Events("params")[1]["params"].toArray();
    ASSERT_EQ(params.size(), 1);
    EXPECT_EQ(params[0].toObject()["name"].toString(), "P_USUARIO");
    EXPECT_EQ(params[0].toObject()["value"].toString(), "ADMIN");
}

TEST(Host, MissingModuleOrEntryIsAHostFailure) {
    HostWorkspace workspace;
    const HostRun missing = workspace.Run("open\n", {"--module", "/nao/existe.so"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.contains(QString::fromUtf8("Módulo não encontrado"))) << missing.errors.toStdString();
    const HostRun noEntry = workspace.Run("open\n", {"--module", QString(HOST_PATH).section('/', 0, -2) + "/libframework.so"});
    EXPECT_EQ(noEntry.exitCode, 1);
    EXPECT_TRUE(noEntry.errors.contains("IniProc")) << noEntry.errors.toStdString();
}

TEST(Host, ScriptErrorsStopTheRunWithStatusTwo) {
    HostWorkspace workspace;
    const struct {
        QString script;
        int line;
        QString text;
    } cases[] = {
        {"open\n# comment\n\nfly away\nstate\n", 4, "comando desconhecido: fly"},
        {"open\ntype semNome 01/01/2025\n", 2, "controle desconhecido: semNome"},
        {"type depDtIni 01/01/2025\n", 1, "nenhuma tela aberta"},
        {"open\nkey depDtIni F99\n", 2, "tecla desconhecida: F99"},
        {"open\ntype depDtIni \"01/01\n", 2, "aspas não fechadas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.toStdString());
        const HostRun run = workspace.Run(c.script);
        EXPECT_EQ(run.exitCode, 2);
        const QJsonObject error = run.Only("error");
        EXPECT_EQ(error["line"].toInt(), c.line);
        EXPECT_EQ(error["text"].toString(), c.text);
        EXPECT_TRUE(run.Events("state").isEmpty()) << "nothing after the error runs";
    }
}

TEST(Host, ScreenshotAndStateOfTheOpenScreen) {
    HostWorkspace workspace;
    const HostRun run = workspace.Run("open\nopen\nstate\nscreenshot tela.png\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject state = run.Only("state");
    ASSERT_EQ(state["screens"].toArray().size(), 1) << "a second open brings the same screen";
    EXPECT_EQ(state["cursor"].toInt(), 0);
    EXPECT_TRUE(QFile::exists(workspace.Output() + "/tela.png"));
}

TEST(Host, F1OnTheScreenOpensItsHelpPageAndAMissingTopicIsSaidSo) {
    HostWorkspace workspace;
    const HostRun shown = workspace.Run("open\nkey depDtIni F1\n");
    ASSERT_EQ(shown.exitCode, 0) << shown.errors.toStdString();
    const QJsonObject help = shown.Only("help");
    EXPECT_EQ(help["file"].toString(), "Cmphelp.hlp");
    EXPECT_EQ(help["context"].toInt(), 10404900);
    EXPECT_EQ(help["title"].toString(), "Relatório de Limpeza de Dados (RCL04700)");
    EXPECT_TRUE(shown.Events("message").isEmpty());

    const QTemporaryDir empty;
    const HostRun missing = workspace.Run("open\nkey depDtIni F1\n", {"--help-dir", empty.path()});
    ASSERT_EQ(missing.exitCode, 0) << missing.errors.toStdString();
    EXPECT_TRUE(missing.Events("help").isEmpty());
    const QJsonObject message = missing.Only("message");
    EXPECT_EQ(message["kind"].toString(), "warning");
    EXPECT_TRUE(message["text"].toString().contains("tópico 10404900")) << message["text"].toString().toStdString();
}

}  // namespace
