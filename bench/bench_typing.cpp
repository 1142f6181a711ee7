// One key typed in the initial date of the real screen, from the key event
// until the fields it changed have been painted: the date field with its new
// text and the weekday beside it (edtSemIni). The field holds "01/03/202_";
// each iteration types a different last digit, which completes a date and
// shows its weekday, and Backspace then takes it away again, so the text
// changes on every key. The same keys in a plain QLineEdit with the same
// input mask, whose change writes the weekday into a second QLineEdit, are
// measured the same way beside it: Qt's own cost of a key in a masked field.
//
// "Painted" is the posted update requests run (QApplication::processEvents:
// the window's dirty fields painted into its backing store and flushed to the
// offscreen platform); each iteration checks that both fields received a
// paint event. Each key is timed on its own (manual timing: pausing the
// benchmark's own timer would weigh). The text cursor does not blink, so that
// no timer paints in between.
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

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// The key, then the paints it asked for; in seconds.
// Out of line, so that callgrind can count its instructions alone.
[[gnu::noinline]] double KeyUntilPainted(QWidget* field, Qt::Key key) {
    const auto start = Clock::now();
    QTest::keyClick(field, key);
    QApplication::processEvents();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Qt::Key DigitKey(int n) { return static_cast<Qt::Key>(Qt::Key_0 + n % 10); }

// A date field and the field that shows its weekday.
struct Fields {
    QWidget* date;
    QWidget* weekday;
};

// With "01/03/202" typed in the date, times one key an iteration until
// painted: the digit that completes the date, or the Backspace that takes it
// away again (the other key of the pair is typed and painted untimed). Both
// fields must have been painted for the timed key.
void TypeAndTime(benchmark::State& state, const Fields& fields, bool timeBackspace) {
    fields.date->setFocus();
    QTest::keyClicks(fields.date, QStringLiteral("0103202"));
    QApplication::processEvents();
    PaintCounter datePaints(fields.date);
    PaintCounter weekdayPaints(fields.weekday);
    int n = 0;
    for (auto _ : state) {
        const Qt::Key digit = DigitKey(n++);
        if (timeBackspace) KeyUntilPainted(fields.date, digit);
        datePaints.count = weekdayPaints.count = 0;
        state.SetIterationTime(KeyUntilPainted(fields.date, timeBackspace ? Qt::Key_Backspace : digit));
        if (datePaints.count == 0 || weekdayPaints.count == 0) {
            state.SkipWithError("a tecla não pintou os dois campos");
            break;
        }
        if (!timeBackspace) KeyUntilPainted(fields.date, Qt::Key_Backspace);
    }
}

void TypeInScreen(benchmark::State& state, bool timeBackspace) {
    BenchHost host;
    IniProc();
    QApplication::processEvents();
    TypeAndTime(state, {frmLimpDados->depDtIni, frmLimpDados->edtSemIni}, timeBackspace);
    frmLimpDados->Close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Qt alone: a masked line edit whose change writes the weekday of a date
// into a second line edit, in a window of the same MDI area.
void TypeInPlainLineEdit(benchmark::State& state, bool timeBackspace) {
    BenchHost host;
    auto* screen = new QWidget;
    screen->setFixedSize(400, 145);  // the screen's size, the fields where its are
    auto* date = new QLineEdit(screen);
    auto* weekday = new QLineEdit(screen);
    date->setGeometry(61, 59, 98, 21);
    weekday->setGeometry(163, 59, 90, 21);
    date->setInputMask(QStringLiteral("99/99/9999;_"));
    // The weekday of a whole date, else nothing, as the screen shows it.
    QObject::connect(date, &QLineEdit::textChanged, weekday, [date, weekday] {
        const QDate day = QDate::fromString(date->displayText(), QStringLiteral("dd/MM/yyyy"));
        weekday->setText(day.isValid() ? QLocale::c().dayName(day.dayOfWeek()) : QString());
    });
    QMdiSubWindow* window = host.Area()->addSubWindow(screen);
    window->show();
    QApplication::processEvents();
    TypeAndTime(state, {date, weekday}, timeBackspace);
    delete window;
}

void BM_TypeDigit_Screen(benchmark::State& state) { TypeInScreen(state, false); }
void BM_TypeBackspace_Screen(benchmark::State& state) { TypeInScreen(state, true); }
void BM_TypeDigit_PlainLineEdit(benchmark::State& state) { TypeInPlainLineEdit(state, false); }
void BM_TypeBackspace_PlainLineEdit(benchmark::State& state) { TypeInPlainLineEdit(state, true); }
BENCHMARK(BM_TypeDigit_Screen)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_TypeBackspace_Screen)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_TypeDigit_PlainLineEdit)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_TypeBackspace_PlainLineEdit)->Unit(benchmark::kMicrosecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    return RunBenchmarks(
        argc, argv,
        {{"dígito na data até pintar / QLineEdit", "BM_TypeDigit_Screen", "BM_TypeDigit_PlainLineEdit", 1.5},
         {"Backspace na data até pintar / QLineEdit", "BM_TypeBackspace_Screen", "BM_TypeBackspace_PlainLineEdit",
          1.5}});
}
