// The detailed report (RCL047_detalhado.rpt) over 1,000,000 cleanups, for
// March 2024 and two systems, the parameters filled by the screen itself:
//
// - rows ready: the report component's query run and every row fetched
//   (RunReportQuery), against the same statement, bound to the same values,
//   run with SQLite's C library and read into plain structs;
// - first page: from the parameters to page 1, as an image (query, layout,
//   one page painted) and as the screen's preview button shows it in Qt's
//   print preview dialog.
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
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSqlDatabase>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "BenchMain.h"
#include "Cli_rcl04700.h"
#include "DatabaseScripts.h"
#include "ReportDatabase.h"
#include "ReportQuery.h"
#include "ReportHeader.h"
#include "ReportRenderer.h"
#include "ReportValues.h"

namespace {

constexpr int kCleanups = 1'000'000;
const char* const kSystems = R"(["Compras/Suprimentos","Estoque"])";

QString DatabaseFile() {
    return qEnvironmentVariable("RCL_BENCH_DB", QStringLiteral(BENCH_DATA_DIR "/limpeza-1m.db"));
}

// Made under another name and renamed when complete, so that an interrupted
// run leaves no half-filled database behind.
void MakeDatabase(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString partial = path + QStringLiteral(".parcial");
    QFile::remove(partial);
    std::fprintf(stderr, "Gerando %d limpezas em %s...\n", kCleanups, qPrintable(path));
    QElapsedTimer timer;
    timer.start();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gerador"));
        db.setDatabaseName(partial);
        if (!db.open()) qFatal("cannot create %s", qPrintable(partial));
        CreateReportTables(db, QStringLiteral(REPORTS_DIR), true, kCleanups);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gerador"));
    if (!QFile::rename(partial, path)) qFatal("cannot rename %s", qPrintable(partial));
    std::fprintf(stderr, "Banco gerado em %.1f s.\n", timer.elapsed() / 1000.0);
}

ReportDefinition DetailedReport() { return ReportDefinition::Read(QStringLiteral(REPORTS_DIR "/RCL047_detalhado.rpt")); }

// The screen with the period and the two systems chosen, as a person leaves it.
TfrmLimpDados& OpenFilledScreen() {
    IniProc();
    frmLimpDados->depDtIni->SetText(QStringLiteral("01/03/2024"));
    frmLimpDados->depDtFim->SetText(QStringLiteral("31/03/2024"));
    frmLimpDados->rbtListaSist->SetChecked(true);
    frmLimpDados->stListaSist = QString::fromUtf8(kSystems);
    return *frmLimpDados;
}

void CloseScreen() {
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The report's parameters as the screen fills them for the report component.
TParams ScreenParams(const ReportDefinition& report) {
    TParams params = QueryParams(report.sql);
    bool flag = false;
    OpenFilledScreen().rpddPadraoBeforeGetQueryParams(params, flag);
    CloseScreen();
    return params;
}

// The host set up on the benchmark database, with the report and its
// parameters at hand.
struct ReportBench {
    ReportBench() {
        if (!QFileInfo::exists(DatabaseFile())) MakeDatabase(DatabaseFile());
        HostConfig::Instance().databaseName = DatabaseFile();
        params = ScreenParams(report);
    }
    QSqlDatabase Database() const { return ReportDatabase(HostConfig::Instance()); }

    BenchHost host;
    ReportDefinition report = DetailedReport();
    TParams params;
};

void BM_RowsReady_ReportQuery(benchmark::State& state) {
    ReportBench bench;
    QSqlDatabase db = bench.Database();
    qsizetype rows = 0;
    for (auto _ : state) rows = RunReportQuery(db, bench.report.sql, bench.params).rows.size();
    state.counters["linhas"] = static_cast<double>(rows);
}
BENCHMARK(BM_RowsReady_ReportQuery)->Unit(benchmark::kMillisecond)->UseRealTime();

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

std::vector<CleanupRow> RunWithSqlite(sqlite3* db, const CStatement& query) {
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
    std::vector<CleanupRow> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        rows.push_back({ColumnText(statement, 0), ColumnText(statement, 1), ColumnText(statement, 2),
                        sqlite3_column_int64(statement, 3), ColumnText(statement, 4)});
    if (step != SQLITE_DONE) qFatal("%s", sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return rows;
}

void BM_RowsReady_SqliteC(benchmark::State& state) {
    ReportBench bench;
    const CStatement query = ToCStatement(bench.report, bench.params);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(DatabaseFile().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        qFatal("cannot open the database");
    size_t rows = 0;
    for (auto _ : state) rows = RunWithSqlite(db, query).size();
    sqlite3_close(db);
    state.counters["linhas"] = static_cast<double>(rows);
}
BENCHMARK(BM_RowsReady_SqliteC)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the report component does up to a page that can be shown: the rows,
// their layout on pages, and page 1 painted.
void BM_FirstPage_Image(benchmark::State& state) {
    ReportBench bench;
    QSqlDatabase db = bench.Database();
    int pages = 0;
    for (auto _ : state) {
        const ReportData data = RunReportQuery(db, bench.report.sql, bench.params);
        const ReportRenderer renderer(bench.report, data, FillHeaderLine(bench.report.headerLine, bench.params));
        benchmark::DoNotOptimize(renderer.PageImage(renderer.PageLayout(), 1));
        state.PauseTiming();
        pages = renderer.PageCount(renderer.PageLayout());
        state.ResumeTiming();
    }
    state.counters["paginas"] = pages;
}
BENCHMARK(BM_FirstPage_Image)->Unit(benchmark::kMillisecond)->UseRealTime();

// The screen's preview button, as a person presses it, until Qt's print
// preview dialog is on screen with its first page painted.
void BM_FirstPage_PreviewDialog(benchmark::State& state) {
    ReportBench bench;
    using Clock = std::chrono::steady_clock;
    Clock::time_point shown;
    int pages = 0;
    Application->SetModalHook([&](QDialog& dialog) {
        dialog.show();  // the preview paints every page the first time it is shown
        QApplication::processEvents();
        shown = Clock::now();
        if (auto* preview = dialog.findChild<QPrintPreviewWidget*>()) pages = preview->pageCount();
        dialog.hide();
        return int(QDialog::Rejected);
    });
    TfrmLimpDados& screen = OpenFilledScreen();
    for (auto _ : state) {
        const Clock::time_point pressed = Clock::now();
        shown = pressed;
        screen.sbtPreview->Click();
        if (shown == pressed || !bench.host.Messages().isEmpty()) {
            state.SkipWithError("a visualização não apareceu");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(shown - pressed).count());
    }
    CloseScreen();
    state.counters["paginas"] = pages;
}
BENCHMARK(BM_FirstPage_PreviewDialog)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(
        argc, argv,
        {{"linhas prontas: componente / SQLite em C", "BM_RowsReady_ReportQuery", "BM_RowsReady_SqliteC", 1.2},
         {"primeira página como imagem", "BM_FirstPage_Image", "", 0.300},
         {"primeira página na visualização do Qt", "BM_FirstPage_PreviewDialog", "", 0.300}});
}
