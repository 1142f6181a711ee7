// The detailed report's rows out as data, side by side in one run on the
// same rows (RCL_EXPORT_ROWS of them, else RCL_BENCH_ROWS, default
// 1,000,000: the two-year report of the 1,000,000-cleanup database, every
// system), each into a file of a
// temporary folder, with its time and peak resident memory:
//
// - XLSX and CSV through the host's export (ReportExport::WriteFile, as the
//   preview's Exportar and the script's export do: the rows fed on a worker,
//   the file through SafeFile);
// - the floor: a plain libxlsxwriter program, in the same constant-memory
//   mode, writing the same header and the same typed cells (each date text
//   read into a date cell, the count as a number, the texts as texts), with
//   nothing else: no formats of width, filter, totals or parameters sheet;
// - the PDF of the same report, the export's other way out, three ways: the
//   host's writer (PdfPages: cairo, pages made ahead on the other core,
//   through SafeFile, as the PDF outputs write it), Qt's PDF engine as the
//   host wrote it before (every laid-out page painted into a QPdfWriter
//   through SafeFile), and the floor of Qt's engine: a bare QPdfWriter
//   program drawing the same cells, already formatted, measured and placed
//   (the page commands, made before the clock starts), into a plain file;
//   with each file's size a page.
//
// `bench_export --pdf-once=WAY` (pdfpages, qt, floor, or none: the rows and
// cells made, no PDF) writes one PDF of the rows and prints its pages, for
// counting instructions a page under callgrind
// (scripts/bench_pdf_instructions.sh).
//
// The rows are made in memory, in the report's shape and order (system,
// date and time, table, count, user), so that every way out reads the very
// same ReportData; the query's own time is bench_report's.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>

#include "BenchHost.h"
#include "BenchMain.h"
#include "BenchMemory.h"
#include "PageCommands.h"
#include "PdfPages.h"
#include "ReportDefinition.h"
#include "ReportExport.h"
#include "ReportPainter.h"
#include "ReportProgressDialog.h"
#include "ReportRenderer.h"
#include "SafeFile.h"

namespace {

// RCL_EXPORT_ROWS, else the size every report benchmark takes (RCL_BENCH_ROWS).
qint64 Rows() {
    bool ok = false;
    const qint64 rows = qEnvironmentVariableIntValue("RCL_EXPORT_ROWS", &ok);
    return ok && rows > 0 ? rows : BenchRows();
}

ReportDefinition DetailedReport() {
    return ReportDefinition::Read(QStringLiteral(REPORTS_DIR "/RCL047_detalhado.rpt"));
}

// Four systems one after another, each over two years of cleanups, a few
// tables and users: what the report's query gives.
ReportData MakeRows(qint64 rows) {
    static const char* const systems[] = {"Compras/Suprimentos", "Estoque", "Financeiro", "Vendas"};
    static const char* const tables[] = {"clientes_inativos", "log_acesso", "notas_canceladas",
                                         "pedidos_temporarios"};
    static const char* const users[] = {"ADMIN", "JOÃO", "MARIA", "ROTINA_NOTURNA"};
    ReportData data(QStringList{"SISTEMA", "DATA_HORA", "TABELA", "REGISTROS", "USUARIO"});
    char when[32];
    for (qint64 i = 0; i < rows; ++i) {
        const qint64 system = i * 4 / rows;
        const qint64 minute = (i - system * rows / 4) * (2 * 365 * 24 * 60) / (rows / 4 + 1);
        const int day = static_cast<int>(minute / (24 * 60));
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", 2024 + day / 365,
                      day % 365 / 31 % 12 + 1, day % 31 % 28 + 1,
                      static_cast<int>(minute / 60 % 24), static_cast<int>(minute % 60),
                      static_cast<int>(i % 60));
        data.AddText(systems[system]);
        data.AddText(when);
        data.AddText(tables[i % 4]);
        data.AddInteger(i * 7919 % 100000);
        data.AddText(users[i / 3 % 4]);
    }
    data.Publish();
    return data;
}

struct Shared {
    Shared()
        : rows(MakeRows(Rows())),
          renderer(report, MakeRows(Rows()), QStringLiteral("Período: 01/01/2024 a 31/12/2025")) {}
    ReportDefinition report = DetailedReport();
    ReportData rows;
    ReportRenderer renderer;  // its own copy of the rows, laid out once
    TParams params;
    std::vector<PageCommands> cells;  // every page's, for the floor (Cells)
};

Shared& Data() {
    static Shared shared;
    return shared;
}

// User and system time of every thread of the process: less swayed by the
// machine's load than the wall clock, and it counts the export's worker.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Every page's cells made once, before the floor's clock starts.
const std::vector<PageCommands>& Cells(Shared& shared) {
    if (shared.cells.empty()) {
        PageComposer composer = shared.renderer.Composer();
        const int pages = shared.renderer.PageCount();
        for (int page = 0; page < pages; ++page) shared.cells.push_back(composer.Compose(page, pages));
    }
    return shared.cells;
}

// Each way's file size a page, by its benchmark's name, for the summary.
std::map<std::string, double>& KbPerPage() {
    static std::map<std::string, double> sizes;
    return sizes;
}

// `write(path)` timed, with its processor time (cpu_s), the peak resident
// memory above what the rows already hold, and the file's size.
// A PDF (`way` named) adds its size a page.
template <class Write>
void Measure(benchmark::State& state, const char* suffix, Write write, const char* way = nullptr) {
    Shared& shared = Data();
    const BenchHost host;
    ShowProgressDialogs(false);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saida.") + suffix);
    double peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double before = ResidentMb("VmRSS");
        ResetPeakMemory();
        const double cpuBefore = ProcessCpuSeconds();
        write(shared, path);
        cpu += ProcessCpuSeconds() - cpuBefore;
        peak = ResidentMb("VmHWM") - before;
    }
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["linhas"] = static_cast<double>(shared.rows.RowCount());
    state.counters["pico_extra_MB"] = peak;
    state.counters["arquivo_MB"] = static_cast<double>(QFile(path).size()) / (1024 * 1024);
    if (way) {
        const double kb = static_cast<double>(QFile(path).size()) / 1024 / shared.renderer.PageCount();
        state.counters["KB_pagina"] = kb;
        KbPerPage()[way] = kb;
    }
}

void BM_Export_Xlsx(benchmark::State& state) {
    Measure(state, "xlsx", [](Shared& shared, const QString& path) {
        SafeFile file(path);
        ReportExport::WriteFile({shared.report, shared.rows, shared.params},
                                ReportExport::Format::Xlsx, file, nullptr);
    });
}
BENCHMARK(BM_Export_Xlsx)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Export_Csv(benchmark::State& state) {
    Measure(state, "csv", [](Shared& shared, const QString& path) {
        SafeFile file(path);
        ReportExport::WriteFile({shared.report, shared.rows, shared.params},
                                ReportExport::Format::Csv, file, nullptr);
    });
}
BENCHMARK(BM_Export_Csv)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: libxlsxwriter alone, on the calling thread, the same cells.
void BM_Floor_PlainLibxlsxwriter(benchmark::State& state) {
    Measure(state, "xlsx", [](Shared& shared, const QString& path) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(book, "Dados");
        lxw_format* bold = workbook_add_format(book);
        format_set_bold(bold);
        lxw_format* date = workbook_add_format(book);
        format_set_num_format(date, "dd/mm/yyyy hh:mm");
        const char* const header[] = {"Data/Hora", "Tabela", "Registros", "Usuário"};
        for (lxw_col_t c = 0; c < 4; ++c) worksheet_write_string(sheet, 0, c, header[c], bold);
        const ReportData& rows = shared.rows;
        std::string text;
        for (qsizetype r = 0; r < rows.RowCount(); ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            lxw_datetime when{};
            double seconds = 0;
            text.assign(rows.Cell(r, 1).Text());
            std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%lf", &when.year, &when.month, &when.day,
                        &when.hour, &when.min, &seconds);
            when.sec = seconds;
            worksheet_write_datetime(sheet, row, 0, &when, date);
            text.assign(rows.Cell(r, 2).Text());
            worksheet_write_string(sheet, row, 1, text.c_str(), nullptr);
            worksheet_write_number(sheet, row, 2, static_cast<double>(rows.Cell(r, 3).integer),
                                   nullptr);
            text.assign(rows.Cell(r, 4).Text());
            worksheet_write_string(sheet, row, 3, text.c_str(), nullptr);
        }
        if (workbook_close(book) != LXW_NO_ERROR) std::fprintf(stderr, "workbook_close failed\n");
    });
}
BENCHMARK(BM_Floor_PlainLibxlsxwriter)->Unit(benchmark::kMillisecond)->UseRealTime();

// The host's PDF writer, as the PDF outputs call it (there on a worker
// while the caller waits, which costs it nothing more).
void WritePdfPages(Shared& shared, const QString& path) {
    SafeFile file(path);
    PdfPages::Write(shared.renderer, shared.report.title, file.Device(), 1, shared.renderer.PageCount());
    file.Commit();
}

// Every page into Qt's PDF engine through SafeFile, as the host wrote its
// PDFs before PdfPages (and still paints a printer).
void WriteQtPdf(Shared& shared, const QString& path) {
    SafeFile file(path);
    {
        QPdfWriter writer(&file.Device());
        writer.setPageLayout(shared.renderer.PageLayout());
        shared.renderer.Render(writer);
    }
    file.Commit();
}

// The floor of Qt's engine: the cells as they are, drawn into a plain file.
void WriteFloorPdf(Shared& shared, const QString& path) {
    const std::vector<PageCommands>& cells = Cells(shared);
    QPdfWriter writer(path);
    writer.setPageLayout(shared.renderer.PageLayout());
    QPainter painter(&writer);  // at the paint rect's corner, as Render paints
    for (std::size_t page = 0; page < cells.size(); ++page) {
        if (page > 0) writer.newPage();
        PaintPageCommands(cells[page], painter);
    }
}

void BM_PdfPages(benchmark::State& state) { Measure(state, "pdf", WritePdfPages, "PdfPages"); }
BENCHMARK(BM_PdfPages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Pdf(benchmark::State& state) { Measure(state, "pdf", WriteQtPdf, "Qt"); }
BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Floor_PlainQPdfWriter(benchmark::State& state) {
    Cells(Data());
    Measure(state, "pdf", WriteFloorPdf, "piso");
}
BENCHMARK(BM_Floor_PlainQPdfWriter)->Unit(benchmark::kMillisecond)->UseRealTime();

// --pdf-once=WAY: one PDF the way named, after the rows and the cells.
int WriteOnce(const QString& way) {
    const std::map<QString, void (*)(Shared&, const QString&)> ways = {
        {"pdfpages", WritePdfPages}, {"qt", WriteQtPdf}, {"floor", WriteFloorPdf}, {"none", nullptr}};
    const auto found = ways.find(way);
    if (found == ways.end()) {
        std::fprintf(stderr, "--pdf-once espera pdfpages, qt, floor ou none: '%s'\n", qPrintable(way));
        return 1;
    }
    Shared& shared = Data();
    Cells(shared);
    QTemporaryDir dir;
    if (found->second) found->second(shared, dir.filePath("saida.pdf"));
    std::printf("paginas %d\n", shared.renderer.PageCount());
    return 0;
}

// What the summary adds to the targets: the PDF's size a page, each way.
void PrintSizes() {
    const auto& sizes = KbPerPage();
    const auto ours = sizes.find("PdfPages");
    const auto qt = sizes.find("Qt");
    if (ours == sizes.end() || qt == sizes.end()) return;
    std::printf("PDF por página: PdfPages %.2f KB, Qt %.2f KB: %.2fx (alvo: até 0.50x)\n", ours->second,
                qt->second, ours->second / qt->second);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]).startsWith("--pdf-once="))
        return WriteOnce(QString::fromLatin1(argv[1] + std::strlen("--pdf-once=")));
    const int status = RunBenchmarks(argc, argv,
                         {{"XLSX / libxlsxwriter puro (o piso)", "BM_Export_Xlsx",
                           "BM_Floor_PlainLibxlsxwriter", 1.3},
                          {"XLSX / PDF", "BM_Export_Xlsx", "BM_PdfPages", 1.0},
                          {"CSV / PDF", "BM_Export_Csv", "BM_PdfPages", 1.0},
                          {"PDF: PdfPages / Qt como antes", "BM_PdfPages", "BM_Pdf", 0.5},
                          {"PDF: PdfPages / QPdfWriter puro (o piso de Qt)", "BM_PdfPages",
                           "BM_Floor_PlainQPdfWriter", 0.6}});
    PrintSizes();
    return status;
}
