// The period presets through scripts: `period NAME` on the day --today
// fixes, the dates the report receives, the `state` event's `period`, and
// the monthly script of the README run on two first days of a month.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include "HostRun.h"

namespace {

QJsonObject Control(const QJsonObject& state, const QString& name) {
    return state["controls"].toObject()[name].toObject();
}

QString ParamValue(const HostRun& run, const QString& name) {
    for (const QJsonValue& p : run.Only("params")["params"].toArray())
        if (p.toObject()["name"].toString() == name) return p.toObject()["value"].toString();
    return QString();
}

void WriteConfig(const HostWorkspace& workspace, const QByteArray& text) {
    QDir().mkpath(QFileInfo(workspace.ConfigFile()).absolutePath());
    QFile file(workspace.ConfigFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

struct ScriptPeriod {
    const char* name;
    const char* today;
    const char* weekStarts;  // [dates] first_day_of_week; empty: no configuration file
    const char* lines;       // after `open`
    const char* first;       // P_DATAINI, P_DATAFIM as the query is bound
    const char* last;
    const char* inForce;  // the state event's period; empty: null
};

void PrintTo(const ScriptPeriod& p, std::ostream* os) { *os << p.name; }

class ScriptPeriods : public ::testing::TestWithParam<ScriptPeriod> {
protected:
    static HostWorkspace& Workspace() {
        static HostWorkspace workspace;
        return workspace;
    }
};

TEST_P(ScriptPeriods, ReachTheReportAndTheStateEvent) {
    const ScriptPeriod& p = GetParam();
    QFile::remove(Workspace().ConfigFile());
    if (*p.weekStarts)
        WriteConfig(Workspace(), QByteArray("[dates]\nfirst_day_of_week = ") + p.weekStarts + "\n");
    const HostRun run = Workspace().Run(QString("open\n%1\nstate\nclick sbtPreview\n").arg(p.lines),
                                        {"--today", p.today});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(ParamValue(run, "P_DATAINI"), p.first);
    EXPECT_EQ(ParamValue(run, "P_DATAFIM"), p.last);
    const QJsonObject state = run.Only("state");
    EXPECT_EQ(state["period"], *p.inForce ? QJsonValue(p.inForce) : QJsonValue(QJsonValue::Null));
    EXPECT_FALSE(Control(state, "edtSemIni")["text"].toString().isEmpty()) << "the weekday follows";
    EXPECT_EQ(run.Events("report").size(), 1);
}

// name | --today | week starts | script | P_DATAINI | P_DATAFIM | period in force
INSTANTIATE_TEST_SUITE_P(
    Table, ScriptPeriods,
    ::testing::Values(
        ScriptPeriod{"LastMonthOfALeapFebruary", "2024-03-01", "", "period mes-passado",
                     "2024-02-01", "2024-02-29", "mes-passado"},
        ScriptPeriod{"ThisWeekFromSunday", "2025-12-31", "domingo", "period esta-semana",
                     "2025-12-28", "2026-01-03", "esta-semana"},
        ScriptPeriod{"ThisWeekFromMonday", "2025-12-31", "segunda", "period esta-semana",
                     "2025-12-29", "2026-01-04", "esta-semana"},
        ScriptPeriod{"TypingADateEndsThePreset", "2024-03-01", "",
                     "period mes-passado\ntype depDtFim 28/02/2024", "2024-02-01", "2024-02-28",
                     ""},
        ScriptPeriod{"HTypesTheFixedToday", "2024-02-29", "", "key depDtIni H\nkey depDtFim H",
                     "2024-02-29", "2024-02-29", ""},
        ScriptPeriod{"AltLeftMovesTheMonth", "2024-04-10", "",
                     "period mes-passado\nkey depDtFim Left alt", "2024-02-01", "2024-02-29", ""}));

// The README's monthly script, as the timer runs it on two first days: each
// run reports the month before its own day, into a PDF of its own.
TEST(ScheduledReport, MonthlyScriptReportsTheMonthBeforeEachRun) {
    HostWorkspace workspace;
    QFile script(SCRIPTS_DIR "/mes-passado.script");
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(script.readAll());
    const struct {
        const char* today;
        const char* first;
        const char* last;
    } months[] = {{"2026-01-01", "2025-12-01", "2025-12-31"},
                  {"2026-03-01", "2026-02-01", "2026-02-28"}};
    QStringList files;
    for (const auto& month : months) {
        const HostRun run = workspace.Run(text, {"--today", month.today});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(ParamValue(run, "P_DATAINI"), month.first);
        EXPECT_EQ(ParamValue(run, "P_DATAFIM"), month.last);
        EXPECT_EQ(run.Only("state")["period"].toString(), "mes-passado");
        files << run.Only("report")["file"].toString();
        EXPECT_TRUE(QFileInfo(files.last()).size() > 0) << files.last().toStdString();
    }
    EXPECT_NE(files[0], files[1]) << "the second month must not overwrite the first";
}

}  // namespace
