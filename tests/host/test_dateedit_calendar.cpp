// The date field's calendar: opened by its button, showing the field's own
// weekday names, and picking a date with the keyboard or the mouse.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "HostTestSupport.h"

namespace {

class DateEditCalendar : public ::testing::Test {
protected:
    void SetUp() override {
        form = CreateShownHostForm();
        field = form->depDtIni;
        field->SetFocus();
    }
    void TearDown() override { DeleteForms(); }

    QTableView* Days() const { return field->Calendar()->findChild<QTableView*>(); }
    QStringList HeaderTexts(bool tooltips = false) const {
        QStringList texts;
        for (int day = 0; day < 7; ++day) {
            auto* label =
                field->Calendar()->findChild<QLabel*>(QStringLiteral("diaSemana%1").arg(day));
            texts << (label ? (tooltips ? label->toolTip() : label->text()) : QStringLiteral("?"));
        }
        return texts;
    }
    // The cell that shows `day` of the month on view; of two, the later (the
    // first week may show the same number of the month before).
    QPoint CellOf(int day) const {
        QAbstractItemModel* model = Days()->model();
        for (int row = model->rowCount() - 1; row >= 0; --row)
            for (int column = 0; column < model->columnCount(); ++column) {
                const QModelIndex index = model->index(row, column);
                if (index.data().toString() == QString::number(day))
                    return Days()->visualRect(index).center();
            }
        ADD_FAILURE() << "no cell for day " << day;
        return {};
    }

    MessageCapture messages;
    TfrmHostComponents* form = nullptr;
    TDateEditPlus* field = nullptr;
};

TEST_F(DateEditCalendar, ButtonOpensTheCalendarOnTheFieldsDate) {
    field->SetText("10032024");
    auto* button = field->findChild<QToolButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->icon().isNull()) << "the ButtonBitmap image";
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(field->Calendar(), nullptr);
    EXPECT_TRUE(field->Calendar()->isVisible());
    EXPECT_EQ(field->Calendar()->selectedDate(), QDate(2024, 3, 10));
    EXPECT_EQ(field->Calendar()->firstDayOfWeek(), Qt::Sunday);
}

TEST_F(DateEditCalendar, ColumnsAreHeadedByTheFieldsWeekdayNamesFromSunday) {
    field->OpenCalendar();
    EXPECT_EQ(HeaderTexts(),
              (QStringList{"Dom", "Seg", "Ter", "Qua", "Qui", "Sex", QString::fromUtf8("Sáb")}));
    EXPECT_EQ(HeaderTexts(true).at(2), QString::fromUtf8("Terça"));
    field->SetNomeSemana(
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    EXPECT_EQ(HeaderTexts(), (QStringList{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}));
}

TEST_F(DateEditCalendar, EnterPicksTheDateChosenWithTheArrowsAndGivesTheFocusBack) {
    field->SetText("10032024");
    field->OpenCalendar();
    hostEvents.clear();
    QTest::keyClick(Days(), Qt::Key_Right);
    QTest::keyClick(Days(), Qt::Key_Return);
    EXPECT_EQ(field->Text(), "11/03/2024");
    EXPECT_FALSE(field->Calendar()->isVisible());
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(hostEvents, (QStringList{"Ini.Change:11/03/2024", "Ini.DateChange:11/03/2024"}))
        << "no exit: the focus only visited the calendar";
}

TEST_F(DateEditCalendar, ClickOnADayPicksIt) {
    field->SetText("10032024");
    field->OpenCalendar();
    QTest::mouseClick(Days()->viewport(), Qt::LeftButton, {}, CellOf(15));
    EXPECT_EQ(field->Text(), "15/03/2024");
    EXPECT_FALSE(field->Calendar()->isVisible());
}

TEST_F(DateEditCalendar, EscapeClosesWithoutChangingTheText) {
    field->SetText("10032024");
    field->OpenCalendar();
    hostEvents.clear();
    QTest::keyClick(Days(), Qt::Key_Right);
    QTest::keyClick(Days(), Qt::Key_Escape);
    EXPECT_FALSE(field->Calendar()->isVisible());
    EXPECT_EQ(field->Text(), "10/03/2024");
    EXPECT_TRUE(hostEvents.isEmpty());
}

TEST_F(DateEditCalendar, EmptyFieldOpensOnTodayAndEnterOnTheSameDateTellsTheScreenAgain) {
    QTest::keyClick(field, Qt::Key_F4);
    ASSERT_TRUE(field->Calendar()->isVisible());
    EXPECT_EQ(field->Calendar()->selectedDate(), QDate::currentDate());
    QTest::keyClick(Days(), Qt::Key_Escape);
    field->SetText("10032024");
    field->OpenCalendar();
    hostEvents.clear();
    QTest::keyClick(Days(), Qt::Key_Return);
    EXPECT_EQ(hostEvents, (QStringList{"Ini.Change:10/03/2024", "Ini.DateChange:10/03/2024"}));
}

// A month whose last day only the sixth week shows, and how the calendar is
// opened from the field.
struct SixthWeek {
    const char* date;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int lastDay;
    const char* picked;
};

void PrintTo(const SixthWeek& c, std::ostream* os) { *os << c.picked; }

class DateEditCalendarWeeks : public DateEditCalendar,
                              public ::testing::WithParamInterface<SixthWeek> {};

TEST_P(DateEditCalendarWeeks, OpenedFromTheKeyboardTheLastDayOfTheMonthCanBeClicked) {
    const SixthWeek& c = GetParam();
    field->SetText(c.date);
    QTest::keyClick(field, c.key, c.modifiers);
    ASSERT_NE(field->Calendar(), nullptr);
    ASSERT_TRUE(field->Calendar()->isVisible());
    const QPoint cell = CellOf(c.lastDay);
    const QRect visible = Days()->viewport()->rect();
    EXPECT_TRUE(visible.contains(cell + QPoint(0, Days()->rowHeight(0) / 2 - 1)))
        << "the cell of " << c.lastDay << " is cut off at " << visible.bottom();
    hostEvents.clear();
    QTest::mouseClick(Days()->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(field->Text(), c.picked);
    EXPECT_EQ(hostEvents, (QStringList{QStringLiteral("Ini.Change:") + c.picked,
                                       QStringLiteral("Ini.DateChange:") + c.picked}));
}

INSTANTIATE_TEST_SUITE_P(
    MarchAndJune2024, DateEditCalendarWeeks,
    ::testing::Values(SixthWeek{"10032024", Qt::Key_F4, {}, 31, "31/03/2024"},
                      SixthWeek{"15062024", Qt::Key_Down, Qt::AltModifier, 30, "30/06/2024"}));

}  // namespace
