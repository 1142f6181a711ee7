// Opening the data cleanup report screen, warm (after a first opening), built
// three ways: by the framework from its definitions, as the host opens it
// (IniProc), by QUiLoader from the same screen drawn in Designer's format
// (rcl04700.ui, with the same images and colours), and by the code uic
// generates from that file; the two Designer screens then get the calendar
// images and the report list read from the folder, as the screen does. Each
// opens in the host's MDI area and is timed until it has been painted;
// closing it is left out of the timing.
//
// And the cold first opening of each way, the first thing a fresh process
// does after making its application and host window (fonts, images,
// styles, plugins and definitions met for the first time): the benchmark
// starts this program again for each iteration with --primeira-abertura=WAY,
// which times that one opening and prints its nanoseconds.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProcess>
#include <QUiLoader>
#include <cstdio>

#include "BenchHost.h"
#include "BenchMain.h"
#include "Cli_rcl04700.h"
#include "ReportDefinition.h"
#include "ui_rcl04700.h"

namespace {

// The three ways of opening are kept out of line, so that callgrind can
// count each one's instructions alone (--toggle-collect, BENCHMARKS.md).

// Until the first paint: the queued layout and paint requests run.
void LetItPaint() { QApplication::processEvents(); }

// What the screen shows that a .ui file cannot hold, added as the screen
// does it: the calendar image in each date field, and the report list read
// from the reports folder (the same FindReports that the base screen calls).
void CompleteAsTheScreen(QWidget* screen) {
    for (const char* name : {"depDtIni", "depDtFim"}) {
        QAction* button = screen->findChild<QLineEdit*>(name)->addAction(
            QIcon(QStringLiteral(":/bench/images/calendar.png")), QLineEdit::TrailingPosition);
        button->setToolTip(QStringLiteral("Calendário"));
    }
    QStringList titles;
    for (const ReportDefinition& report : FindReports(QStringLiteral(REPORTS_DIR), QStringLiteral("RCL047")))
        titles << report.title;
    auto* reports = screen->findChild<QComboBox*>("cbbReportNames");
    reports->addItems(titles);
    reports->setCurrentIndex(0);
}

void CloseAndFree(QMdiSubWindow* window) {
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A Designer-built screen as the framework shows an MDI child of fixed size.
QMdiSubWindow* ShowInArea(QMdiArea* area, QWidget* screen) {
    QMdiSubWindow* window = area->addSubWindow(screen, Qt::SubWindow | Qt::MSWindowsFixedSizeDialogHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    area->setActiveSubWindow(window);
    LetItPaint();
    return window;
}

[[gnu::noinline]] void OpenFramework() {
    IniProc();
    LetItPaint();
}

void CloseFramework() {
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenScreen_Framework(benchmark::State& state) {
    BenchHost host;
    OpenFramework();
    CloseFramework();
    for (auto _ : state) {
        OpenFramework();
        state.PauseTiming();
        if (!boStCriado || !frmLimpDados->isVisible()) {
            state.SkipWithError("a tela não foi aberta");
            break;
        }
        CloseFramework();
        state.ResumeTiming();
    }
    if (!host.Messages().isEmpty()) state.SkipWithError(host.Messages().join(' ').toStdString().c_str());
}
BENCHMARK(BM_OpenScreen_Framework)->Unit(benchmark::kMillisecond)->UseRealTime();

// The loader is made once, as an application would keep it: making one looks
// for Designer plugins on disk.
[[gnu::noinline]] QMdiSubWindow* OpenWithLoader(QUiLoader& loader, QMdiArea* area) {
    QFile file(QStringLiteral(":/bench/rcl04700.ui"));
    if (!file.open(QIODevice::ReadOnly)) qFatal("rcl04700.ui is not in the resources");
    QWidget* screen = loader.load(&file);
    if (!screen) qFatal("QUiLoader: %s", qPrintable(loader.errorString()));
    CompleteAsTheScreen(screen);
    return ShowInArea(area, screen);
}

void BM_OpenScreen_QUiLoader(benchmark::State& state) {
    BenchHost host;
    QUiLoader loader;
    CloseAndFree(OpenWithLoader(loader, host.Area()));
    for (auto _ : state) {
        QMdiSubWindow* window = OpenWithLoader(loader, host.Area());
        state.PauseTiming();
        CloseAndFree(window);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenScreen_QUiLoader)->Unit(benchmark::kMillisecond)->UseRealTime();

[[gnu::noinline]] QMdiSubWindow* OpenWithUic(QMdiArea* area) {
    auto* screen = new QWidget;
    Ui::frmLimpDados ui;
    ui.setupUi(screen);
    CompleteAsTheScreen(screen);
    return ShowInArea(area, screen);
}

void BM_OpenScreen_Uic(benchmark::State& state) {
    BenchHost host;
    CloseAndFree(OpenWithUic(host.Area()));
    for (auto _ : state) {
        QMdiSubWindow* window = OpenWithUic(host.Area());
        state.PauseTiming();
        CloseAndFree(window);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenScreen_Uic)->Unit(benchmark::kMillisecond)->UseRealTime();

// In a fresh process: the nanoseconds of the first opening `way`, or -1.
qint64 TimeFirstOpening(const QByteArray& way) {
    BenchHost host;
    QElapsedTimer timer;
    timer.start();
    if (way == "framework") {
        OpenFramework();
    } else if (way == "QUiLoader") {
        QUiLoader loader;
        OpenWithLoader(loader, host.Area());
    } else if (way == "uic") {
        OpenWithUic(host.Area());
    } else {
        return -1;
    }
    return timer.nsecsElapsed();
}

const char* const kFirstOpening = "--primeira-abertura=";

void FirstOpening(benchmark::State& state, const char* way) {
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kFirstOpening) + way});
        bool number = false;
        qint64 nanoseconds = 0;
        if (child.waitForFinished(60'000) && child.exitCode() == 0)
            nanoseconds = child.readAllStandardOutput().trimmed().toLongLong(&number);
        if (!number || nanoseconds <= 0) {
            state.SkipWithError("a primeira abertura não foi medida");
            break;
        }
        state.SetIterationTime(static_cast<double>(nanoseconds) * 1e-9);
    }
}
BENCHMARK_CAPTURE(FirstOpening, framework, "framework")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(FirstOpening, QUiLoader, "QUiLoader")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(FirstOpening, uic, "uic")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && qstrncmp(argv[1], kFirstOpening, qstrlen(kFirstOpening)) == 0) {
        const qint64 nanoseconds = TimeFirstOpening(QByteArray(argv[1] + qstrlen(kFirstOpening)));
        std::printf("%lld\n", static_cast<long long>(nanoseconds));
        return nanoseconds > 0 ? 0 : 2;
    }
    return RunBenchmarks(argc, argv,
                         {{"abrir a tela: framework / QUiLoader", "BM_OpenScreen_Framework", "BM_OpenScreen_QUiLoader", 1.0},
                          {"abrir a tela: framework / código do uic", "BM_OpenScreen_Framework", "BM_OpenScreen_Uic", 1.3},
                          {"primeira abertura: framework / QUiLoader", "FirstOpening/framework",
                           "FirstOpening/QUiLoader", 1.0},
                          {"primeira abertura: framework / código do uic", "FirstOpening/framework",
                           "FirstOpening/uic", 1.3}});
}
