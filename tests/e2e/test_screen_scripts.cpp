// The data cleanup report screen driven by scripts, from IniProc to the PDF.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "HostRun.h"
#include "QtPrinters.h"

namespace {

QJsonObject Control(const QJsonObject& state, const QString& name) {
    return state["controls"].toObject()[name].toObject();
}

QJsonObject Param(const QJsonObject& params, const QString& name) {
    for (const QJsonValue& p : params["params"].toArray())
        if (p.toObject()["name"].toString() == name) return p.toObject();
    return {};
}

// The first and last day in March 2025 with cleanups of both systems, and the
// number of their cleanups between those days, counted by SQL.
struct Period {
    QString first, last;
    int rows = 0;
};

Period PeriodWithCleanupsOnBothEnds(const QString& database) {
    Period period;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "period");
        db.setDatabaseName(database);
        EXPECT_TRUE(db.open());
        QSqlQuery query(db);
        const QString systems = "sistema IN ('Estoque', 'Compras/Suprimentos')";
        EXPECT_TRUE(query.exec("SELECT min(date(data_hora)), max(date(data_hora)) FROM limpeza WHERE " + systems +
                               " AND data_hora >= '2025-03-02' AND data_hora < '2025-03-28'"));
        query.next();
        period.first = query.value(0).toString();
        period.last = query.value(1).toString();
        query.prepare("SELECT count(*) FROM limpeza WHERE " + systems +
                      " AND date(data_hora) BETWEEN ? AND ?");
        query.addBindValue(period.first);
        query.addBindValue(period.last);
        EXPECT_TRUE(query.exec());
        query.next();
        period.rows = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("period");
    return period;
}

QString Typed(const QString& iso) { return iso.mid(8, 2) + "/" + iso.mid(5, 2) + "/" + iso.left(4); }

TEST(ScreenScripts, PeriodAndTwoSystemsThroughF9ReachTheReportAndThePdf) {
    HostWorkspace workspace;
    // The first report creates the sample database.
    workspace.Run("open\ntype depDtIni 01/01/2025\ntype depDtFim 01/01/2025\nclick sbtPreview\n");
    const Period period = PeriodWithCleanupsOnBothEnds(workspace.Database());
    ASSERT_GT(period.rows, 0);
    const HostRun run = workspace.Run(QString("open\ntype depDtIni %1\ntype depDtFim %2\nclick rbtListaSist\n"
                                              "key rbtListaSist F9\npick Estoque \"Compras/Suprimentos\"\n"
                                              "click sbtPrint\n")
                                          .arg(Typed(period.first), Typed(period.last)));
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject params = run.Only("params");
    EXPECT_EQ(Param(params, "P_DATAINI")["value"].toString(), period.first);
    EXPECT_EQ(Param(params, "P_DATAFIM")["value"].toString(), period.last);
    EXPECT_EQ(Param(params, "P_DATAINI")["type"].toString(), "datetime");
    EXPECT_EQ(Param(params, "P_SISTEMA")["value"].toString(), "[\"Compras/Suprimentos\",\"Estoque\"]");
    EXPECT_EQ(Param(params, "P_TSISTEMA")["value"].toString(), "");
    const QJsonObject report = run.Only("report");
    EXPECT_EQ(report["action"].toString(), "print");
    EXPECT_EQ(report["rows"].toInt(), period.rows);
    const QString text = PdfText(report["file"].toString());
    EXPECT_EQ(text.count(QRegularExpression("\\b\\d\\d/\\d\\d/2025 \\d\\d:\\d\\d")), period.rows);
    EXPECT_TRUE(text.contains(Typed(period.first))) << "the first day counts";
    EXPECT_TRUE(text.contains(Typed(period.last))) << "the last day counts";
    EXPECT_FALSE(text.contains("Planejamento Alim. Industrial"));
}

TEST(ScreenScripts, WeekdayFieldsFollowTypingEditingAndLeaving) {
    HostWorkspace workspace;
    const HostRun run = workspace.Run(
        "open\nstate\ntype depDtIni 01032024\nstate\nkey depDtIni Backspace\nstate\nkey depDtIni 4\n"
        "type depDtFim 29/02/2023\nstate\nfocus depDtIni\nstate\ntype depDtFim 29/02/2024\nfocus rbtTodosSist\nstate\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QList<QJsonObject> states = run.Events("state");
    ASSERT_EQ(states.size(), 6);
    const auto weekdays = [&](int i) {
        return QStringList{Control(states[i], "edtSemIni")["text"].toString(), Control(states[i], "edtSemFim")["text"].toString()};
    };
    EXPECT_EQ(weekdays(0), (QStringList{"", ""}));
    EXPECT_EQ(weekdays(1), (QStringList{"Sexta", ""}));
    EXPECT_EQ(weekdays(2), (QStringList{"", ""}));
    EXPECT_EQ(weekdays(3), (QStringList{"Sexta", ""})) << "29/02/2023 has no weekday";
    EXPECT_EQ(states[4]["focus"].toString(), "depDtFim") << "an invalid date keeps the focus";
    EXPECT_EQ(weekdays(5), (QStringList{"Sexta", "Quinta"}));
    const QJsonObject message = run.Only("message");
    EXPECT_EQ(message["kind"].toString(), "error");
    EXPECT_TRUE(message["text"].toString().contains("29/02/2023"));
}

TEST(ScreenScripts, DateKeysAndTheReportKeysReachTheScreen) {
    HostWorkspace workspace;
    const HostRun run = workspace.Run(
        "open\ntype depDtIni 31/01/2024\nkey depDtIni PgUp\nkey depDtIni Up\nkey depDtIni -\n"
        "key depDtIni PgDown\nkey depDtIni Down\nstate\ntype depDtFim 29022024\nkey depDtFim p ctrl\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject state = run.Only("state");
    EXPECT_EQ(Control(state, "depDtIni")["text"].toString(), "28/01/2024");
    EXPECT_EQ(Control(state, "edtSemIni")["text"].toString(), "Domingo");
    EXPECT_EQ(run.Only("report")["action"].toString(), "print");
}

TEST(ScreenScripts, EachFailingCheckShowsOneMessageAndNoReport) {
    HostWorkspace workspace;
    const struct {
        QString typing;
        QString message;
        QString focus;
    } cases[] = {
        {"", "Data inicial deve ser informada.", "depDtIni"},
        {"type depDtIni 10/03/2025\n", "Data final deve ser informada.", "depDtFim"},
        {"type depDtIni 10/03/2025\ntype depDtFim 09/03/2025\n", "Data inicial deve ser menor ou igual a data final.", "depDtIni"},
    };
    for (const QString button : {"sbtPreview", "sbtPrint", "sbtSalvarComo"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE((button + ": " + c.message).toStdString());
            const HostRun run = workspace.Run("open\n" + c.typing + "click " + button + "\nstate\n");
            ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
            EXPECT_EQ(run.Only("message")["text"].toString(), c.message);
            EXPECT_TRUE(run.Events("params").isEmpty());
            EXPECT_TRUE(run.Events("report").isEmpty());
            EXPECT_TRUE(run.Events("prompt").isEmpty());
            EXPECT_EQ(run.Only("state")["focus"].toString(), c.focus);
        }
    }
}

TEST(ScreenScripts, EachPassingCheckRunsTheAction) {
    HostWorkspace workspace;
    const QString period = "open\ntype depDtIni 10/03/2025\ntype depDtFim 10/03/2025\nclick rbtListaSist\n";
    for (const QString action : {"preview", "print"}) {
        const HostRun run = workspace.Run(period + "click " + (action == "preview" ? "sbtPreview" : "sbtPrint") + "\n");
        EXPECT_TRUE(run.Events("message").isEmpty());
        EXPECT_EQ(run.Only("report")["action"].toString(), action);
        EXPECT_EQ(run.Only("report")["rows"].toInt(), 0) << "Lista without a lookup selects no system";
    }
    const HostRun saved = workspace.Run(period + "click sbtSalvarComo\nanswer \"Meu relatório\"\nstate\n");
    EXPECT_EQ(saved.Only("prompt")["title"].toString(), QString::fromUtf8("Título do Relatório"));
    EXPECT_EQ(saved.Only("prompt")["label"].toString(), QString::fromUtf8("Informe o título do relatório:"));
    EXPECT_EQ(saved.Only("report")["action"].toString(), "saveas");
    EXPECT_TRUE(Control(saved.Only("state"), "cbbReportNames")["items"].toArray().contains(QString::fromUtf8("Meu relatório")));
}

// A script's keys and clicks reach the screen as a person's do: through the
// shortcuts of the host's menus and of the screen first, with their
// modifiers, and a click gives the focus where a person's click gives it.
struct ScriptInputCase {
    const char* name;
    QString lines;  // after `open`, ending in a `state`
    QString event;  // an event the action must cause, or none
    QString focus;  // the focused control at the end; empty: no screen left
};

class ScriptInput : public ::testing::TestWithParam<ScriptInputCase> {};

TEST_P(ScriptInput, ReachesTheScreenAsAPersonsKeyOrClick) {
    HostWorkspace workspace;
    const HostRun run = workspace.Run("open\n" + GetParam().lines);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    if (!GetParam().event.isEmpty()) {
        EXPECT_EQ(run.Events(GetParam().event).size(), 1);
    }
    const QJsonObject state = run.Only("state");
    EXPECT_EQ(state["screens"].toArray().isEmpty(), GetParam().focus.isEmpty());
    if (!GetParam().focus.isEmpty()) {
        EXPECT_EQ(state["focus"].toString(), GetParam().focus);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptInput,
    ::testing::Values(
        ScriptInputCase{"ShiftTabGoesBack", "focus depDtFim\nkey depDtFim Tab shift\nstate\n", "", "depDtIni"},
        ScriptInputCase{"CtrlShiftSOfTheScreenSavesAs",
                        "type depDtIni 10/03/2025\ntype depDtFim 10/03/2025\nkey depDtFim S ctrl shift\nstate\n",
                        "prompt", "depDtFim"},
        ScriptInputCase{"ClickGivesTheFocus", "focus depDtIni\nclick rbtListaSist\nstate\n", "", "rbtListaSist"}),
    [](const ::testing::TestParamInfo<ScriptInputCase>& info) { return std::string(info.param.name); });

}  // namespace
