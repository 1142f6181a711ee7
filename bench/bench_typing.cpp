// One key typed in the initial date of the real screen, from the key event
// until the weekday beside it (edtSemIni) has been updated. The field holds
// "01/03/202_"; each iteration types a different last digit, which completes
// a date and shows its weekday, and Backspace then takes it away again, so
// the text changes on every key. Each key is timed on its own (manual
// timing: the time is a few microseconds, where pausing the benchmark's own
// timer would weigh). A plain QLineEdit with the same input mask and a slot
// that writes the weekday gives Qt's own share for comparison.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QTest>
#include <chrono>

#include "BenchHost.h"
#include "BenchMain.h"
#include "Cli_rcl04700.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double Seconds(F&& action) {
    const auto start = Clock::now();
    action();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Qt::Key DigitKey(int n) { return static_cast<Qt::Key>(Qt::Key_0 + n % 10); }

// The screen opened by the host, with "01/03/202" typed in the initial date.
TfrmLimpDados& OpenWithDateAlmostTyped() {
    IniProc();
    QApplication::processEvents();
    frmLimpDados->depDtIni->SetFocus();
    QTest::keyClicks(frmLimpDados->depDtIni, QStringLiteral("0103202"));
    return *frmLimpDados;
}

void CloseScreen() {
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_TypeDigit_Screen(benchmark::State& state) {
    BenchHost host;
    TfrmLimpDados& screen = OpenWithDateAlmostTyped();
    int n = 0;
    for (auto _ : state) {
        state.SetIterationTime(Seconds([&] { QTest::keyClick(screen.depDtIni, DigitKey(n++)); }));
        if (screen.edtSemIni->Text().isEmpty()) {
            state.SkipWithError("o dia da semana não apareceu");
            break;
        }
        QTest::keyClick(screen.depDtIni, Qt::Key_Backspace);
    }
    CloseScreen();
}
BENCHMARK(BM_TypeDigit_Screen)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_TypeBackspace_Screen(benchmark::State& state) {
    BenchHost host;
    TfrmLimpDados& screen = OpenWithDateAlmostTyped();
    int n = 0;
    for (auto _ : state) {
        QTest::keyClick(screen.depDtIni, DigitKey(n++));
        state.SetIterationTime(Seconds([&] { QTest::keyClick(screen.depDtIni, Qt::Key_Backspace); }));
        if (!screen.edtSemIni->Text().isEmpty()) {
            state.SkipWithError("o dia da semana ficou");
            break;
        }
    }
    CloseScreen();
}
BENCHMARK(BM_TypeBackspace_Screen)->Unit(benchmark::kMicrosecond)->UseManualTime();

// Qt alone: a masked line edit whose change writes the weekday of a date.
void BM_TypeDigit_PlainLineEdit(benchmark::State& state) {
    BenchHost host;
    auto* screen = new QWidget;
    auto* date = new QLineEdit(screen);
    auto* weekday = new QLineEdit(screen);
    date->setInputMask(QStringLiteral("99/99/9999;_"));
    QObject::connect(date, &QLineEdit::textChanged, weekday, [weekday](const QString& text) {
        const QDate day(text.mid(6, 4).toInt(), text.mid(3, 2).toInt(), text.left(2).toInt());
        weekday->setText(day.isValid() ? QLocale::c().dayName(day.dayOfWeek()) : QString());
    });
    QMdiSubWindow* window = host.Area()->addSubWindow(screen);
    window->show();
    QApplication::processEvents();
    date->setFocus();
    QTest::keyClicks(date, QStringLiteral("0103202"));
    int n = 0;
    for (auto _ : state) {
        state.SetIterationTime(Seconds([&] { QTest::keyClick(date, DigitKey(n++)); }));
        QTest::keyClick(date, Qt::Key_Backspace);
    }
    delete window;
}
BENCHMARK(BM_TypeDigit_PlainLineEdit)->Unit(benchmark::kMicrosecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(argc, argv,
                         {{"tecla na data até o dia da semana", "BM_TypeDigit_Screen", "", 50e-6},
                          {"Backspace na data até limpar o dia", "BM_TypeBackspace_Screen", "", 50e-6}});
}
