// The date field typed into as a person does: digits with and without
// slashes, Backspace, leaving the field, and the recorded order of its events.
#include <gtest/gtest.h>

#include <QTest>

#include "DateEditPlus.h"
#include "HostTestSupport.h"
#include "SysUtils.h"

namespace {

TEST_F(DateEditTyping, DigitsWithoutSlashesFormTheDateAndDateChangeFollowsTheLastChange) {
    Type("29022024");
    EXPECT_EQ(edit.Text(), "29/02/2024");
    EXPECT_EQ(edit.GetDate(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(spy, (QStringList{"C:2_/__/____", "C:29/__/____", "C:29/0_/____", "C:29/02/____",
                                "C:29/02/2___", "C:29/02/20__", "C:29/02/202_", "C:29/02/2024",
                                "D:29/02/2024"}));
}

TEST_F(DateEditTyping, TypedSlashesAreTakenAsTheSeparatorsAndChangeNothing) {
    Type("29/02/2024");
    EXPECT_EQ(edit.Text(), "29/02/2024");
    EXPECT_EQ(spy.count(), 9) << spy.join(" | ").toStdString();
    EXPECT_EQ(spy.last(), "D:29/02/2024");
}

TEST_F(DateEditTyping, PartialDateShowsBlanksAndHasNoDate) {
    Type("120320");
    EXPECT_EQ(edit.Text(), "12/03/20__");
    EXPECT_EQ(edit.GetDate(), 0);
    EXPECT_FALSE(spy.join(' ').contains("D:"));
}

TEST_F(DateEditTyping, BackspaceOverTheOnlyDigitLeavesTheTextEmptyAgain) {
    EXPECT_EQ(edit.Text(), "") << "a new field";
    EXPECT_EQ(edit.GetDate(), 0);
    Type("1");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(spy, (QStringList{"C:1_/__/____", "C:"}));
}

TEST_F(DateEditTyping, DeletingADigitLosesTheDateAndRetypingRaisesDateChangeForTheSameDate) {
    Type("10032024");
    spy.clear();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.GetDate(), 0);
    Type("4");
    EXPECT_EQ(spy, (QStringList{"C:10/03/202_", "C:10/03/2024", "D:10/03/2024"}));
}

TEST_F(DateEditTyping, ChangesFromCodeRaiseTheSameEvents) {
    edit.SetDate(EncodeDate(2024, 3, 5));
    edit.SetText("06032024");
    edit.Clear();
    EXPECT_EQ(spy,
              (QStringList{"C:05/03/2024", "D:05/03/2024", "C:06/03/2024", "D:06/03/2024", "C:"}));
}

TEST_F(DateEditTyping, SetDateZeroEmptiesTheField) {
    edit.SetDate(EncodeDate(2024, 3, 5));
    edit.SetDate(0);
    EXPECT_EQ(edit.Text(), "");
}

TEST_F(DateEditTyping, SaveTimeKeepsTheTimeOfDayOfSetDate) {
    const TDateTime noon = EncodeDate(2024, 3, 5) + 0.5;
    edit.SetDate(noon);
    EXPECT_EQ(edit.GetDate(), EncodeDate(2024, 3, 5));
    edit.SetSaveTime(true);
    EXPECT_EQ(edit.GetDate(), noon);
}

TEST_F(DateEditTyping, ValidDateColorShowsOnlyWhileTheTextIsADate) {
    edit.SetColor(clInfoBk);
    edit.SetValidDateColor(clBlue);
    const QColor normal = edit.palette().color(QPalette::Text);
    Type("01032024");
    EXPECT_EQ(edit.palette().color(QPalette::Text), ToQColor(clBlue));
    edit.SetValidDateColor(clRed);
    EXPECT_EQ(edit.palette().color(QPalette::Text), ToQColor(clRed));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.palette().color(QPalette::Text), normal);
    EXPECT_EQ(edit.palette().color(QPalette::Base), ToQColor(clInfoBk)) << "the background stays";
}

// Typed digits, whether they form a date, and which.
struct TypedDate {
    const char* typed;
    int year, month, day;  // year 0: not a date
};

class DateEditDates : public DateEditTyping, public ::testing::WithParamInterface<TypedDate> {};

TEST_P(DateEditDates, TextIsADateExactlyWhenTheDayExists) {
    const TypedDate& c = GetParam();
    Type(QString::fromLatin1(c.typed));
    const bool valid = c.year != 0;
    EXPECT_EQ(edit.GetDate(), valid ? EncodeDate(c.year, c.month, c.day) : 0);
    EXPECT_EQ(spy.last().startsWith("D:"), valid);
    MessageCapture messages;
    if (valid) {
        EXPECT_NO_THROW(edit.CheckValidDate());
    } else {
        EXPECT_THROW(edit.CheckValidDate(), EAbort);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LeapDaysAndFarYears, DateEditDates,
    ::testing::Values(TypedDate{"29022024", 2024, 2, 29}, TypedDate{"29022023", 0, 0, 0},
                      TypedDate{"29021900", 0, 0, 0}, TypedDate{"29022000", 2000, 2, 29},
                      TypedDate{"31042024", 0, 0, 0}, TypedDate{"00012024", 0, 0, 0},
                      TypedDate{"01132024", 0, 0, 0}, TypedDate{"01010001", 1, 1, 1},
                      TypedDate{"01010000", 0, 0, 0}, TypedDate{"31129999", 9999, 12, 31}));

class DateEditCheck : public DateEditTyping {
protected:
    MessageCapture messages;
};

TEST_F(DateEditCheck, EmptyOrValidTextPassesSilently) {
    EXPECT_NO_THROW(edit.CheckValidDate());
    Type("05032024");
    EXPECT_NO_THROW(edit.CheckValidDate());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DateEditCheck, InvalidTextIsReportedAsAnErrorAndEndsTheAction) {
    Type("120320");
    EXPECT_THROW(edit.CheckValidDate(), EAbort);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, mtError);
    EXPECT_EQ(messages.shown[0].second, QString::fromUtf8("'12/03/20__' não é uma data válida."));
}

// The screen: both fields check themselves when the user leaves them.
class DateEditOnScreen : public ::testing::Test {
protected:
    void SetUp() override { form = CreateShownHostForm(); }
    void TearDown() override { DeleteForms(); }

    MessageCapture messages;
    TfrmHostComponents* form = nullptr;
};

TEST_F(DateEditOnScreen, TypingRaisesChangeForEachDigitThenDateChange) {
    form->depDtIni->SetFocus();
    QTest::keyClicks(form->depDtIni, "0103202");
    hostEvents.clear();
    QTest::keyClicks(form->depDtIni, "4");
    EXPECT_EQ(hostEvents, (QStringList{"Ini.Change:01/03/2024", "Ini.DateChange:01/03/2024"}));
    EXPECT_EQ(form->depDtFim->Text(), "") << "the other field is not touched";
}

TEST_F(DateEditOnScreen, LeavingAValidDateMovesOn) {
    form->depDtIni->SetFocus();
    QTest::keyClicks(form->depDtIni, "01032024");
    QTest::keyClick(form->depDtIni, Qt::Key_Tab);
    EXPECT_TRUE(form->depDtFim->hasFocus());
    EXPECT_TRUE(hostEvents.contains("Ini.Exit.ok"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DateEditOnScreen, LeavingAnEmptyFieldMovesOn) {
    form->depDtIni->SetFocus();
    QTest::keyClick(form->depDtIni, Qt::Key_Tab);
    EXPECT_TRUE(form->depDtFim->hasFocus());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DateEditOnScreen, LeavingAnInvalidDateReportsItAndKeepsTheFocusThere) {
    form->depDtIni->SetFocus();
    QTest::keyClicks(form->depDtIni, "31022024");
    hostEvents.clear();
    QTest::keyClick(form->depDtIni, Qt::Key_Tab);
    EXPECT_EQ(messages.Texts(),
              QStringList{QString::fromUtf8("'31/02/2024' não é uma data válida.")});
    EXPECT_TRUE(form->depDtIni->hasFocus());
    EXPECT_EQ(hostEvents, QStringList{"Ini.Exit"}) << "the handler ended at CheckValidDate";
}

// Regression: with both fields invalid, each one's exit check put the focus
// in the other, whose own exit check put it back, for ever.
TEST_F(DateEditOnScreen, TwoInvalidFieldsNeverHandTheFocusBackAndForth) {
    form->depDtFim->SetText("99999999");
    form->depDtIni->SetFocus();
    QTest::keyClicks(form->depDtIni, "31022024");
    hostEvents.clear();
    QTest::keyClick(form->depDtIni, Qt::Key_Tab);
    QTest::mouseClick(form->depDtFim, Qt::LeftButton);
    const QString report = QString::fromUtf8("'31/02/2024' não é uma data válida.");
    EXPECT_EQ(messages.Texts(), (QStringList{report, report}));
    EXPECT_TRUE(form->depDtIni->hasFocus());
    EXPECT_FALSE(hostEvents.contains("Fim.Exit"));
}

TEST_F(DateEditOnScreen, CheckValidDateFromElsewherePutsTheFocusInTheField) {
    form->depDtIni->SetText("3102");
    form->depDtFim->SetFocus();
    hostEvents.clear();
    EXPECT_THROW(form->depDtIni->CheckValidDate(), EAbort);
    EXPECT_TRUE(form->depDtIni->hasFocus());
    EXPECT_FALSE(hostEvents.contains("Fim.Exit"));
}

TEST_F(DateEditOnScreen, ClickingIntoAnEmptyFieldStartsTypingAtTheDay) {
    QTest::mouseClick(form->depDtIni, Qt::LeftButton, {}, QPoint(form->depDtIni->width() / 2, 10));
    QTest::keyClicks(form->depDtIni, "05");
    EXPECT_EQ(form->depDtIni->Text(), "05/__/____");
}

}  // namespace
