// The detailed report (RCL047_detalhado.rpt) over 1,000,000 cleanups (or
// RCL_BENCH_ROWS), the parameters filled by the screen itself, for one month and two systems
// (March 2024: 21,371 rows, 428 pages) and for two years and every system
// (2024 and 2025: every row, 20,001 pages):
//
// - rows ready: the report component's query run and every row fetched
//   (RunReportQuery), against the same statement, bound to the same values,
//   run with SQLite's C library on a connection opened as the host's is (no
//   mutex) into the same ReportData, and into plain structs of std::string;
// - first page: from pressing Visualizar until the host's preview has
//   painted page 1, beside Qt's print preview of the same report (what the
//   host showed before: every row read and every page painted first);
// - the two-year preview until every page is laid out: the longest the
//   event loop went unanswered (a 5 ms timer), and the peak resident memory,
//   with the highest anonymous and file-backed shares seen (the rows of a
//   large report lie in a file of its own, SpillFile);
// - the two-year report printed to a PDF (unattended): its time and peak
//   resident memory, with the same shares;
// - Cancelar: from the press until the screen answers again, while the rows
//   are read and while the PDF is written.
//
// The database is made by the reports' own sample script when the first
// benchmark needs it (not for --help or a listing), and kept in the build
// folder (RCL_BENCH_DB names another file); delete it to make it again.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "BenchMain.h"
#include "BenchMemory.h"
#include "Cli_rcl04700.h"
#include "DatabaseScripts.h"
#include "PreviewPages.h"
#include "ReportDatabase.h"
#include "ReportQuery.h"
#include "ReportHeader.h"
#include "ReportOutputChoice.h"
#include "ReportPreview.h"
#include "ReportProgressDialog.h"
#include "ReportRenderer.h"
#include "ReportValues.h"

namespace {

int Cleanups() { return BenchRows(); }
const char* const kSystems = R"(["Compras/Suprimentos","Estoque"])";

QString DatabaseFile() {
    const QString made = Cleanups() == 1'000'000 ? QStringLiteral("1m") : QString::number(Cleanups());
    return qEnvironmentVariable("RCL_BENCH_DB", QStringLiteral(BENCH_DATA_DIR "/limpeza-%1.db").arg(made));
}

// Made under another name and renamed when complete, so that an interrupted
// run leaves no half-filled database behind.
void MakeDatabase(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString partial = path + QStringLiteral(".parcial");
    QFile::remove(partial);
    std::fprintf(stderr, "Gerando %d limpezas em %s...\n", Cleanups(), qPrintable(path));
    QElapsedTimer timer;
    timer.start();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gerador"));
        db.setDatabaseName(partial);
        if (!db.open()) qFatal("cannot create %s", qPrintable(partial));
        CreateReportTables(db, QStringLiteral(REPORTS_DIR), true, Cleanups());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gerador"));
    if (!QFile::rename(partial, path)) qFatal("cannot rename %s", qPrintable(partial));
    std::fprintf(stderr, "Banco gerado em %.1f s.\n", timer.elapsed() / 1000.0);
}

ReportDefinition DetailedReport() { return ReportDefinition::Read(QStringLiteral(REPORTS_DIR "/RCL047_detalhado.rpt")); }

// What the screen is asked for: a period, and two systems or all of them.
struct Period {
    const char* first;
    const char* last;
    bool allSystems;
};
constexpr Period kMonth{"01/03/2024", "31/03/2024", false};
constexpr Period kTwoYears{"01/01/2024", "31/12/2025", true};

// The screen with the period and the systems chosen, as a person leaves it.
TfrmLimpDados& OpenFilledScreen(const Period& period) {
    IniProc();
    frmLimpDados->depDtIni->SetText(QString::fromLatin1(period.first));
    frmLimpDados->depDtFim->SetText(QString::fromLatin1(period.last));
    if (period.allSystems) {
        frmLimpDados->rbtTodosSist->SetChecked(true);
    } else {
        frmLimpDados->rbtListaSist->SetChecked(true);
        frmLimpDados->stListaSist = QString::fromUtf8(kSystems);
    }
    return *frmLimpDados;
}

void CloseScreen() {
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The report's parameters as the screen fills them for the report component.
TParams ScreenParams(const ReportDefinition& report, const Period& period) {
    TParams params = QueryParams(report.sql);
    bool flag = false;
    OpenFilledScreen(period).rpddPadraoBeforeGetQueryParams(params, flag);
    CloseScreen();
    return params;
}

// The host set up on the benchmark database, with the report and its
// parameters at hand.
struct ReportBench {
    explicit ReportBench(const Period& period = kMonth) {
        if (!QFileInfo::exists(DatabaseFile())) MakeDatabase(DatabaseFile());
        HostConfig::Instance().databaseName = DatabaseFile();
        params = ScreenParams(report, period);
    }
    QSqlDatabase Database() const { return ReportDatabase(HostConfig::Instance()); }

    BenchHost host;
    ReportDefinition report = DetailedReport();
    TParams params;
};

// Besides the time: the memory the rows hold, a row (resident memory with the
// rows read, less before: their blocks are mapped from the system and given
// back when freed, MappedMemory).
void RowsReadyReportQuery(benchmark::State& state, const Period& period) {
    ReportBench bench(period);
    QSqlDatabase db = bench.Database();
    qsizetype rows = 0;
    double held = 0;
    for (auto _ : state) {
        const double before = ResidentMb("VmRSS");
        const ReportData data = RunReportQuery(db, bench.report.sql, bench.params);
        rows = data.RowCount();
        held = (ResidentMb("VmRSS") - before) * 1024 * 1024;
    }
    state.counters["linhas"] = static_cast<double>(rows);
    state.counters["bytes/linha"] = rows > 0 ? held / static_cast<double>(rows) : 0;
}
BENCHMARK_CAPTURE(RowsReadyReportQuery, mes, kMonth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RowsReadyReportQuery, dois_anos, kTwoYears)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

struct CleanupRow {
    std::string sistema;
    std::string dataHora;
    std::string tabela;
    sqlite3_int64 registros;
    std::string usuario;
};

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column))) : std::string();
}

// The report's statement with its parameters bound in order, as text or NULL.
struct CStatement {
    std::string sql;
    std::vector<QVariant> values;
};

CStatement ToCStatement(const ReportDefinition& report, const TParams& params) {
    const PositionalQuery positional = ToPositional(report.sql);
    CStatement result{positional.sql.toStdString(), {}};
    for (const QString& name : positional.bindings) result.values.push_back(BoundValue(*params.FindParam(name)));
    return result;
}

// Qt's SQLite driver binds a null text as NULL, not as ''.
bool BoundAsNull(const QVariant& value) {
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull());
}

sqlite3_stmt* PrepareWithSqlite(sqlite3* db, const CStatement& query) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, query.sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) qFatal("%s", sqlite3_errmsg(db));
    for (size_t i = 0; i < query.values.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        if (BoundAsNull(query.values[i])) {
            sqlite3_bind_null(statement, index);
            continue;
        }
        const std::string text = query.values[i].toString().toStdString();
        sqlite3_bind_text(statement, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return statement;
}

[[gnu::noinline]] std::vector<CleanupRow> RunWithSqlite(sqlite3* db, const CStatement& query) {
    sqlite3_stmt* statement = PrepareWithSqlite(db, query);
    std::vector<CleanupRow> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        rows.push_back({ColumnText(statement, 0), ColumnText(statement, 1), ColumnText(statement, 2),
                        sqlite3_column_int64(statement, 3), ColumnText(statement, 4)});
    if (step != SQLITE_DONE) qFatal("%s", sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return rows;
}

std::string_view ColumnView(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return {text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement, column))};
}

// The same statement into the component's own structure, as plainly as the
// C library allows: what the component's reading is held against.
[[gnu::noinline]] ReportData RunWithSqliteIntoReportData(sqlite3* db, const CStatement& query) {
    sqlite3_stmt* statement = PrepareWithSqlite(db, query);
    ReportData data;
    QStringList fields;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) fields << sqlite3_column_name(statement, c);
    data.SetFields(fields);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        data.AddText(ColumnView(statement, 0));
        data.AddText(ColumnView(statement, 1));
        data.AddText(ColumnView(statement, 2));
        data.AddInteger(sqlite3_column_int64(statement, 3));
        data.AddText(ColumnView(statement, 4));
    }
    if (step != SQLITE_DONE) qFatal("%s", sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    data.Publish();
    return data;
}

// Opened as Qt's driver opens the host's connection: read-only, a cache of
// its own and no mutex (SQLite's "multi-thread" mode: one connection, one
// thread at a time). The default, serialized, would spend a sixth of the
// reader's instructions locking and flatter the host.
sqlite3* OpenWithSqlite() {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(DatabaseFile().toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK)
        qFatal("cannot open the database");
    return db;
}

// A serialized connection has a mutex; one in multi-thread mode has none.
bool HasMutex(sqlite3* db) { return sqlite3_db_mutex(db) != nullptr; }

// The handle of the host's SQLite connection, through its driver.
sqlite3* HostHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0) qFatal("the host's connection is not SQLite");
    return *static_cast<sqlite3* const*>(handle.constData());
}

// `run` (the statement, the C connection: the row count) repeated, on a
// connection that locks exactly as the host's does (checked, so that a
// change on either side cannot make the comparison unfair unnoticed).
template <class Run>
void RowsWithSqlite(benchmark::State& state, const Period& period, Run run) {
    ReportBench bench(period);
    const CStatement query = ToCStatement(bench.report, bench.params);
    sqlite3* db = OpenWithSqlite();
    if (HasMutex(db) != HasMutex(HostHandle(bench.Database())))
        qFatal("the C reader's connection does not lock as the host's does");
    size_t rows = 0;
    for (auto _ : state) rows = run(db, query);
    sqlite3_close(db);
    state.counters["linhas"] = static_cast<double>(rows);
}

void RowsReadySqliteC(benchmark::State& state, const Period& period) {
    RowsWithSqlite(state, period, [](sqlite3* db, const CStatement& query) {
        return static_cast<size_t>(RunWithSqliteIntoReportData(db, query).RowCount());
    });
}
BENCHMARK_CAPTURE(RowsReadySqliteC, mes, kMonth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RowsReadySqliteC, dois_anos, kTwoYears)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same rows into plain structs of std::string, the reader a C++
// programmer would write first: a second baseline beside the one above.
void RowsReadySqliteCStrings(benchmark::State& state, const Period& period) {
    RowsWithSqlite(state, period,
                   [](sqlite3* db, const CStatement& query) { return RunWithSqlite(db, query).size(); });
}
BENCHMARK_CAPTURE(RowsReadySqliteCStrings, mes, kMonth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RowsReadySqliteCStrings, dois_anos, kTwoYears)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// The preview as the button opens it: the host's own window, shown.
ReportPreview* ShownPreview(QWidget& window) {
    auto* preview = qobject_cast<ReportPreview*>(&window);
    if (preview) window.show();
    return preview;
}

// Every page laid out: the preview's Imprimir waits for it.
bool AllLaidOut(const ReportPreview& preview) {
    for (QAction* action : preview.actions())
        if (action->shortcut() == QKeySequence::Print) return action->isEnabled();
    return false;
}

// The screen's preview button, as a person presses it, until the host's
// preview has painted its first page.
void FirstPagePreview(benchmark::State& state, const Period& period) {
    ReportBench bench(period);
    Clock::time_point shown;
    int pages = 0;
    Application->SetWindowHook([&](QWidget& window) {
        ReportPreview* preview = ShownPreview(window);
        if (!preview) return;
        while (preview->Pages().PagesPainted() == 0 && preview->isVisible()) QApplication::processEvents();
        shown = Clock::now();
        pages = preview->Pages().PageCount();
        preview->reject();
    });
    TfrmLimpDados& screen = OpenFilledScreen(period);
    for (auto _ : state) {
        const Clock::time_point pressed = Clock::now();
        shown = pressed;
        screen.sbtPreview->Click();
        if (shown == pressed || !bench.host.Messages().isEmpty()) {
            state.SkipWithError("a visualização não apareceu");
            break;
        }
        state.SetIterationTime(Seconds(shown - pressed));
    }
    CloseScreen();
    state.counters["paginas_prontas"] = pages;
}
BENCHMARK_CAPTURE(FirstPagePreview, mes, kMonth)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(FirstPagePreview, dois_anos, kTwoYears)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The baseline: what the host did before its own preview, with the same
// component. Every row read, every page laid out, then Qt's print preview,
// which paints every page before it shows the first.
void BM_FirstPage_QtPrintPreview(benchmark::State& state) {
    ReportBench bench(kMonth);
    QSqlDatabase db = bench.Database();
    int pages = 0;
    for (auto _ : state) {
        const ReportRenderer renderer(bench.report, RunReportQuery(db, bench.report.sql, bench.params),
                                      FillHeaderLine(bench.report.headerLine, bench.params));
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(renderer.PageLayout());
        QPrintPreviewDialog dialog(&printer);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&renderer](QPrinter* target) { renderer.Render(*target); });
        dialog.show();
        QApplication::processEvents();
        pages = dialog.findChild<QPrintPreviewWidget*>()->pageCount();
    }
    state.counters["paginas"] = pages;
}
BENCHMARK(BM_FirstPage_QtPrintPreview)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two-year preview from the press until every page is laid out (the
// preview open meanwhile): the iteration's time is the longest the event
// loop went unanswered, seen by a timer due every 5 ms.
void BM_TwoYearPreview_LongestStall(benchmark::State& state) {
    ReportBench bench(kTwoYears);
    Clock::time_point last;
    Clock::duration longest{};
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    double complete = 0;
    Clock::time_point pressed;
    Application->SetWindowHook([&](QWidget& window) {
        ReportPreview* preview = ShownPreview(window);
        if (!preview) return;
        while (!AllLaidOut(*preview) && preview->isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        complete = Seconds(Clock::now() - pressed);
        preview->reject();
    });
    TfrmLimpDados& screen = OpenFilledScreen(kTwoYears);
    double peak = 0;
    double anonymous = 0;
    double file = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        longest = {};
        pressed = last = Clock::now();
        probe.start();
        {
            const ResidentShares shares;
            screen.sbtPreview->Click();
            anonymous = shares.AnonymousMb();
            file = shares.FileMb();
        }
        probe.stop();
        peak = ResidentMb("VmHWM");
        state.SetIterationTime(Seconds(longest));
    }
    CloseScreen();
    state.counters["completa_s"] = complete;
    state.counters["pico_MB"] = peak;
    state.counters["pico_anon_MB"] = anonymous;
    state.counters["pico_arquivo_MB"] = file;
}
BENCHMARK(BM_TwoYearPreview_LongestStall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// One month printed in an unattended run, pressed as a person does: the rows
// read and laid out on the worker, the pages painted into a PDF through
// SafeFile on another.
void BM_MonthPdf_Host(benchmark::State& state) {
    ReportBench bench(kMonth);
    QTemporaryDir out;
    const ReportsIntoFolder reports(out.path());
    HostConfig::Instance().outputDir = out.path();
    TfrmLimpDados& screen = OpenFilledScreen(kMonth);
    for (auto _ : state) screen.sbtPrint->Click();
    CloseScreen();
    if (!bench.host.Messages().isEmpty()) state.SkipWithError(qPrintable(bench.host.Messages().join(" | ")));
}
BENCHMARK(BM_MonthPdf_Host)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: the same rows, pages and PDF on the calling thread, the
// PDF written straight into its file by Qt.
void BM_MonthPdf_Direct(benchmark::State& state) {
    ReportBench bench(kMonth);
    QSqlDatabase db = bench.Database();
    QTemporaryDir out;
    for (auto _ : state) {
        const ReportRenderer renderer(bench.report, RunReportQuery(db, bench.report.sql, bench.params),
                                      FillHeaderLine(bench.report.headerLine, bench.params));
        QPdfWriter writer(out.filePath(QStringLiteral("direto.pdf")));
        writer.setPageLayout(renderer.PageLayout());
        renderer.Render(writer);
    }
}
BENCHMARK(BM_MonthPdf_Direct)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two years and every system printed in an unattended run: a PDF of every
// page in the output folder.
void BM_TwoYearPdf(benchmark::State& state) {
    ReportBench bench(kTwoYears);
    QTemporaryDir out;
    const ReportsIntoFolder reports(out.path());
    HostConfig::Instance().outputDir = out.path();
    TfrmLimpDados& screen = OpenFilledScreen(kTwoYears);
    double peak = 0;
    double anonymous = 0;
    double file = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        const ResidentShares shares;
        screen.sbtPrint->Click();
        peak = ResidentMb("VmHWM");
        anonymous = shares.AnonymousMb();
        file = shares.FileMb();
    }
    CloseScreen();
    if (!bench.host.Messages().isEmpty()) state.SkipWithError(qPrintable(bench.host.Messages().join(" | ")));
    state.counters["pico_MB"] = peak;
    state.counters["pico_anon_MB"] = anonymous;
    state.counters["pico_arquivo_MB"] = file;
    state.counters["PDFs"] = static_cast<double>(QDir(out.path()).entryList(QDir::Files).size());
}
BENCHMARK(BM_TwoYearPdf)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

ReportProgressDialog* ShownProgress() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<ReportProgressDialog*>(widget); progress && progress->isVisible())
            return progress;
    return nullptr;
}

// Imprimir for two years, interactive, where there is no printer: the rows
// are read (the progress shows after a moment), then a PDF file is asked for
// and written. Cancelar is pressed once `due` says so (given whether the
// file was asked for yet); the iteration's time runs from that press until
// the screen answers again.
template <class Due>
void CancelPrint(benchmark::State& state, Due due) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) return state.SkipWithError("há impressoras instaladas");
    ReportBench bench(kTwoYears);
    QTemporaryDir folder;
    bool asked = false;
    Application->SetModalHook([&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(folder.filePath(QStringLiteral("limpeza.pdf")));
        asked = true;
        return int(QDialog::Accepted);
    });
    TfrmLimpDados& screen = OpenFilledScreen(kTwoYears);
    Clock::time_point cancelled;
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        ReportProgressDialog* progress = ShownProgress();
        if (!progress || !due(asked)) return;
        watch.stop();
        cancelled = Clock::now();
        progress->findChild<QPushButton*>()->click();
    });
    for (auto _ : state) {
        asked = false;
        cancelled = {};
        watch.start();
        screen.sbtPrint->Click();
        watch.stop();
        if (cancelled == Clock::time_point{} || QFileInfo::exists(folder.filePath(QStringLiteral("limpeza.pdf")))) {
            state.SkipWithError("o relatório não foi cancelado");
            break;
        }
        state.SetIterationTime(Seconds(Clock::now() - cancelled));
    }
    CloseScreen();
}

void BM_Cancel_WhileReading(benchmark::State& state) {
    CancelPrint(state, [](bool asked) { return !asked; });
}
BENCHMARK(BM_Cancel_WhileReading)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// A moment into the PDF, its progress shown.
void BM_Cancel_WhileWritingPdf(benchmark::State& state) {
    Clock::time_point since{};
    CancelPrint(state, [&](bool asked) {
        if (!asked) return false;
        if (since == Clock::time_point{}) since = Clock::now();
        const bool now = Clock::now() - since > std::chrono::milliseconds(300);
        if (now) since = {};
        return now;
    });
}
BENCHMARK(BM_Cancel_WhileWritingPdf)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(
        argc, argv,
        {{"linhas prontas, um mês: componente / C", "RowsReadyReportQuery/mes", "RowsReadySqliteC/mes", 1.2},
         {"linhas prontas, dois anos: componente / C", "RowsReadyReportQuery/dois_anos", "RowsReadySqliteC/dois_anos",
          1.2},
         {"linhas prontas, um mês: componente / C std::string", "RowsReadyReportQuery/mes",
          "RowsReadySqliteCStrings/mes", 1.2},
         {"linhas prontas, dois anos: componente / C std::string", "RowsReadyReportQuery/dois_anos",
          "RowsReadySqliteCStrings/dois_anos", 1.2},
         {"1ª página na visualização, um mês", "FirstPagePreview/mes", "", 0.300},
         {"1ª página na visualização, dois anos", "FirstPagePreview/dois_anos", "", 1.0},
         {"1ª página, um mês: visualização / do Qt", "FirstPagePreview/mes", "BM_FirstPage_QtPrintPreview", 1.0},
         {"PDF de um mês: Imprimir / direto", "BM_MonthPdf_Host", "BM_MonthPdf_Direct", 1.2},
         {"maior pausa do laço de eventos, dois anos", "BM_TwoYearPreview_LongestStall", "", 0.100},
         {"Cancelar lendo as linhas", "BM_Cancel_WhileReading", "", 0.200},
         {"Cancelar gravando o PDF", "BM_Cancel_WhileWritingPdf", "", 0.200}});
}
