// The host application as its users run it: loading modules, scripts, exit
// statuses, and a test module's report end to end.
#include <gtest/gtest.h>
#include <sys/stat.h>


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
    const HostRun run = workspace.Run("open\nclick sbtPrint\ntype edtUsuario \"ADMIN' OR '1'='1\"\nclick sbtPrint\n"
                                      "type edtUsuario ADMIN\nclick sbtPrint\n",
                                      {"--module", TEST_MODULE_PATH});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    // The screen's own print handler, an override it does not publish, ran first.
    EXPECT_EQ(run.Only("message")["text"].toString(), QString::fromUtf8("Usuário deve ser informado."));
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
    const QString kPeriod = "open\ntype depDtIni 10/03/2025\ntype depDtFim 10/03/2025\n";
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
        // An answer is for one kind of dialog, and every answer must be used.
        {kPeriod + "pick Estoque\nclick sbtSalvarComo\nanswer Outro\n", 5,
         "a resposta 'pick' da linha 4 não serve para o pedido de texto 'Título do Relatório'"},
        {kPeriod + "answer Outro\nclick rbtListaSist\nkey rbtListaSist F9\n", 6,
         "a resposta 'answer' da linha 4 não serve para a lista 'Sistema'"},
        {kPeriod + "click sbtSalvarComo\nanswer \"Limpeza de Dados - Detalhado\"\nconfirm talvez\n",
         4, "confirm espera yes ou no (linha 6)"},
        {kPeriod + "answer sobra\npick Estoque\n", 4, "nenhum diálogo usou a resposta (linhas 4, 5)"},
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

// Scripts and the configuration are read only from regular files of bounded
// size: anything else stops the host at once (status 1) with the file named.
TEST(Host, UnusableScriptOrConfigurationIsNamedAndStopsTheHost) {
    HostWorkspace workspace;
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile huge(dir.filePath("enorme.script"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(17) << 20));
    huge.close();
    const QString badValue = dir.filePath("ruim.conf");
    QFile bad(badValue);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("[reports]\nquery_time_limit = -1\n"));
    bad.close();
    const struct {
        QStringList arguments;
        QString says;
    } cases[] = {
        {{"--script", "/dev/zero"},
         QString::fromUtf8("Não foi possível ler o script /dev/zero: é um dispositivo, não um "
                           "arquivo comum.")},
        {{"--script", fifo},
         QString::fromUtf8("Não foi possível ler o script %1: é um FIFO (pipe), não um arquivo "
                           "comum.")
             .arg(fifo)},
        {{"--script", huge.fileName()},
         QString::fromUtf8("Não foi possível ler o script %1: tem 17.825.792 bytes e passa do "
                           "limite de 16.777.216 bytes.")
             .arg(huge.fileName())},
        {{"--config", dir.filePath("nao.conf")},
         QString::fromUtf8("Não foi possível ler o arquivo de configuração %1: a pasta ou o "
                           "arquivo não existe.")
             .arg(dir.filePath("nao.conf"))},
        {{"--config", fifo},
         QString::fromUtf8("Não foi possível ler o arquivo de configuração %1: é um FIFO (pipe), "
                           "não um arquivo comum.")
             .arg(fifo)},
        {{"--config", badValue},
         QString::fromUtf8("O arquivo de configuração %1, linha 2: valor inválido em [reports] "
                           "query_time_limit: '-1' (esperados os segundos que uma consulta pode "
                           "durar, de 0 (sem limite) a 86400).")
             .arg(badValue)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const HostRun run = workspace.Run("open\n", c.arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.errors.contains(c.says)) << run.errors.toStdString();
        EXPECT_TRUE(run.events.isEmpty());
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

// The package's files and the test module's, installed from the build by
// CMake under a root of their own: an installed host with two modules, each
// bringing its reports and help into the host's one reports and help folder.
// Nothing on the command line says where they are.
TEST(InstalledHost, FindsEveryModuleWithItsReportsAndHelp) {
    const QTemporaryDir root;
    for (const QStringList& component : {QStringList{}, QStringList{"--component", "tstmodule"}}) {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(CMAKE_COMMAND, QStringList{"--install", BUILD_DIR, "--prefix", root.path()} + component);
        ASSERT_TRUE(install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit &&
                    install.exitCode() == 0)
            << install.readAll().toStdString();
    }
    const HostWorkspace workspace;
    QProcess host;
    host.setProcessEnvironment(workspace.Environment());
    host.start(root.filePath("bin/rclhost"), {"--out", workspace.Output(), "--script", "-"});
    host.write("open rcl04700\nkey depDtIni F1\n"
               "open tstmodule\ntype edtUsuario ADMIN\nclick sbtPrint\nkey edtUsuario F1\n");
    host.closeWriteChannel();
    const HostRun run = HostWorkspace::Finish(host);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.Events("message").isEmpty());
    const QList<QJsonObject> help = run.Events("help");
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(help[0]["title"].toString(), "Relatório de Limpeza de Dados (RCL04700)");
    EXPECT_EQ(help[1]["title"].toString(), "Tela de teste (TST00100)");
    const QJsonObject report = run.Only("report");
    EXPECT_EQ(report["title"].toString(), "Limpezas por usuário");
    EXPECT_GT(report["rows"].toInt(), 0) << "the sample made by the first module's scripts";
}

}  // namespace
