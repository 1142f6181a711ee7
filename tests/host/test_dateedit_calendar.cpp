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
    // The cell that shows `day` of the month on view (one that shows only once).
    QPoint CellOf(int day) const {
        QAbstractItemModel* model = Days()->model();
        for (int row = 0; row < model->rowCount(); ++row)
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

}  // namespace
