// The date field's own keys, pressed as a person presses them: the date they
// put, the events that follow, and the edits that leave the same date.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QTest>

#include "DateEditPlus.h"
#include "HostTestSupport.h"
#include "SysUtils.h"

namespace {

constexpr int kNotToday = 99999;

// A text in the field, a key pressed, and the text afterwards: `after`, or
// today moved by `fromToday` days when `after` is null.
struct DateKeyCase {
    const char* name;
    const char* before;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* after;
    int fromToday = kNotToday;
};

void PrintTo(const DateKeyCase& c, std::ostream* os) { *os << c.name; }

class DateEditKeys : public DateEditTyping, public ::testing::WithParamInterface<DateKeyCase> {};

TEST_P(DateEditKeys, KeyPutsItsDateAsOneEditFollowedByTheDateEvent) {
    const DateKeyCase& c = GetParam();
    Type(QString::fromLatin1(c.before).remove('/'));
    const QString before = edit.Text();
    spy.clear();
    QTest::keyClick(&edit, c.key, c.modifiers);
    const QString after = c.after ? QString::fromLatin1(c.after) : DateToStr(Date() + c.fromToday);
    EXPECT_EQ(edit.Text(), after);
    if (after == before) {
        EXPECT_TRUE(spy.isEmpty()) << spy.join(" | ").toStdString();
        return;
    }
    EXPECT_EQ(spy, (QStringList{"C:" + after, "D:" + after}));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), before) << "Ctrl+Z takes the key back";
}

INSTANTIATE_TEST_SUITE_P(
    DaysMonthsTodayAndLimits, DateEditKeys,
    ::testing::Values(
        DateKeyCase{"PlusIntoALeapDay", "28/02/2024", Qt::Key_Plus, {}, "29/02/2024"},
        DateKeyCase{"KeypadPlusWithShift", "10/03/2024", Qt::Key_Plus,
                    Qt::KeypadModifier | Qt::ShiftModifier, "11/03/2024"},
        DateKeyCase{"MinusOverAMonth", "01/03/2023", Qt::Key_Minus, {}, "28/02/2023"},
        DateKeyCase{"PgUpKeepsTheDayOrTakesTheMonthsLast", "31/01/2024", Qt::Key_PageUp, {},
                    "29/02/2024"},
        DateKeyCase{"PgDnAMonthBack", "31/03/2023", Qt::Key_PageDown, {}, "28/02/2023"},
        DateKeyCase{"LastDayStays", "31/12/9999", Qt::Key_Plus, {}, "31/12/9999"},
        DateKeyCase{"FirstDayStays", "01/01/0001", Qt::Key_PageDown, {}, "01/01/0001"},
        DateKeyCase{"HalfTypedTextStays", "12/03/20", Qt::Key_Plus, {}, "12/03/20__"},
        DateKeyCase{"CtrlUpIsNoDateKey", "10/03/2024", Qt::Key_Up, Qt::ControlModifier,
                    "10/03/2024"},
        DateKeyCase{"HPutsToday", "12/03/20", Qt::Key_H, {}, nullptr, 0},
        DateKeyCase{"PlusOnEmptyStartsFromToday", "", Qt::Key_Plus, {}, nullptr, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Edits that leave the date the field already held still tell the screen,
// in the order a changed date does; code that sets the same text does not.
class DateEditSameDate : public DateEditTyping {
protected:
    void SetUp() override {
        DateEditTyping::SetUp();
        edit.SetText("10032024");
        spy.clear();
    }
    const QStringList kSameDateEvents{"C:10/03/2024", "D:10/03/2024"};
};

TEST_F(DateEditSameDate, DigitTypedOverItself) {
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_1);
    EXPECT_EQ(spy, kSameDateEvents);
}

TEST_F(DateEditSameDate, SameDatePastedWithCtrlVOrShiftInsert) {
    QGuiApplication::clipboard()->setText("10/03/2024");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(spy, kSameDateEvents + kSameDateEvents);
}

TEST_F(DateEditSameDate, DigitPastTheEndAndTheSameTextFromCodeRaiseNothing) {
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_4);
    edit.SetText("10/03/2024");
    EXPECT_TRUE(spy.isEmpty()) << spy.join(" | ").toStdString();
}

}  // namespace
