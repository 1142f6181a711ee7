// How soon Cancelar gives the screen back, and the longest the window stops
// answering meanwhile, when the database keeps the report's thread busy
// where it cannot look at a cancel:
//
// - long step: one instr() over 400,000 characters, a single step of
//   SQLite's of about a second (at 4 MB, the most a value may be, minutes);
// - locked: another connection holds the file's exclusive lock while the
//   report reads its table.
//
// Each iteration previews the report as a person does (TReportDesignerDialog,
// with its progress dialog), clicks Cancelar as soon as the progress shows,
// and measures from the click to Preview's return (the *_Cancel figures), and
// the longest gap between two ticks of a 5 ms timer from the start to the
// return (the *_Stall figures). What is left out: painting a preview (none
// opens) and the abandoned thread's own end, which the host does not wait for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "BenchMain.h"
#include "HostConfig.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "ReportWorker.h"
#include "SysUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

QByteArray Definition(const QByteArray& sqlLines) {
    return "object Report: TReportDefinition\n  Code = 'RCL047'\n  Title = 'Cancelar'\n  "
           "SQL.Strings = (" +
           sqlLines + ")\n  object colA: TReportColumn\n    FieldName = 'A'\n  end\nend\n";
}

const QByteArray kLongStep = Definition(
    "'WITH t(a) AS (SELECT printf(''%.*c'', 400000, ''a''))' "
    "'SELECT instr(a, substr(a, 1, 100000) || ''b'') AS A FROM t'");
const QByteArray kReadsTable = Definition("'SELECT count(*) AS A FROM limpeza'");

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

// The database file: a table of one row, in the rollback-journal mode that
// lets another program's lock keep readers out.
QString Database() {
    const QString path = Folder().filePath("cancelar.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "preparo");
        db.setDatabaseName(path);
        if (!db.open() || !QSqlQuery(db).exec("CREATE TABLE IF NOT EXISTS limpeza (x)"))
            qFatal("cannot make the benchmark's database");
    }
    QSqlDatabase::removeDatabase("preparo");
    return path;
}

// One preview cancelled when its progress shows: the time from the click to
// the return, and the longest gap between two ticks of the event loop.
struct Cancelled {
    double latency = 0;
    double stall = 0;
};

Cancelled PreviewAndCancel(const ReportDefinition& report) {
    TReportDesignerDialog designer;
    Cancelled result;
    Clock::time_point clicked{};
    Clock::time_point lastTick = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        result.stall =
            std::max(result.stall, std::chrono::duration<double>(now - lastTick).count());
        lastTick = now;
        if (clicked != Clock::time_point{}) return;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || !widget->inherits("ReportProgressDialog")) continue;
            clicked = Clock::now();
            QTest::mouseClick(widget->findChild<QPushButton*>(), Qt::LeftButton);
            return;
        }
    });
    tick.start(5);
    try {
        designer.Preview(report);
    } catch (const EAbort&) {
    }
    const Clock::time_point returned = Clock::now();
    result.stall =
        std::max(result.stall, std::chrono::duration<double>(returned - lastTick).count());
    result.latency = std::chrono::duration<double>(returned - clicked).count();
    return result;
}

void Run(benchmark::State& state, bool stall, bool locked) {
    HostConfig& config = HostConfig::Instance();
    config.databaseName = Database();
    config.reportsDir = Folder().path();
    config.outputDir = Folder().filePath("out");
    const ReportDefinition report =
        ReportDefinition::ReadFromText(locked ? kReadsTable : kLongStep, "cancelar.rpt");
    QSqlDatabase lock;
    if (locked) {
        lock = QSqlDatabase::addDatabase("QSQLITE", "trava");
        lock.setDatabaseName(config.databaseName);
        QSqlQuery query(lock);
        if (!lock.open() || !query.exec("PRAGMA locking_mode=EXCLUSIVE") ||
            !query.exec("BEGIN EXCLUSIVE") || !query.exec("INSERT INTO limpeza VALUES (1)"))
            state.SkipWithError("a trava falhou");
    }
    for (auto _ : state) {
        const Cancelled cancelled = PreviewAndCancel(report);
        state.SetIterationTime(stall ? cancelled.stall : cancelled.latency);
    }
    if (locked) {
        QSqlQuery(lock).exec("ROLLBACK");
        lock.close();
        lock = QSqlDatabase();
        QSqlDatabase::removeDatabase("trava");
    }
    if (!WaitForAbandonedWork(std::chrono::minutes(2)))
        state.SkipWithError("o trabalho abandonado não terminou");
}

void BM_LongStep_Cancel(benchmark::State& state) { Run(state, false, false); }
void BM_LongStep_Stall(benchmark::State& state) { Run(state, true, false); }
void BM_Locked_Cancel(benchmark::State& state) { Run(state, false, true); }
void BM_Locked_Stall(benchmark::State& state) { Run(state, true, true); }
BENCHMARK(BM_LongStep_Cancel)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_LongStep_Stall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Locked_Cancel)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Locked_Stall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(
        argc, argv,
        {{"Cancelar num passo longo", "BM_LongStep_Cancel", "", 0.200},
         {"maior parada da janela, passo longo", "BM_LongStep_Stall", "", 0.100},
         {"Cancelar com o banco bloqueado", "BM_Locked_Cancel", "", 0.200},
         {"maior parada da janela, banco bloqueado", "BM_Locked_Stall", "", 0.100}});
}
