// The period typed as a person types it: the weekday beside each date, its
// first activation, and the date fields' check when the focus leaves them.
#include <QMdiSubWindow>

#include "ScreenFixture.h"

namespace {

using ScreenDates = ScreenTest;

// Keys typed into the initial date and the weekday shown afterwards.
struct TypedWeekday {
    const char* keys;
    const char* weekday;  // "" when the text is no date
};

void PrintTo(const TypedWeekday& c, std::ostream* os) { *os << c.keys << " -> \"" << c.weekday << '"'; }

class ScreenWeekdays : public ScreenTest, public ::testing::WithParamInterface<TypedWeekday> {};

TEST_P(ScreenWeekdays, InitialDateShowsItsWeekdayAndLeavesTheFinalOneAlone) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, QString::fromUtf8(GetParam().keys));
    EXPECT_EQ(s.edtSemIni->Text(), QString::fromUtf8(GetParam().weekday));
    EXPECT_EQ(s.edtSemFim->Text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    LeapDaysCenturiesAndFarYears, ScreenWeekdays,
    ::testing::Values(TypedWeekday{"01032024", "Sexta"}, TypedWeekday{"01/03/2024", "Sexta"},
                      TypedWeekday{"29022024", "Quinta"}, TypedWeekday{"31121999", "Sexta"},
                      TypedWeekday{"29022000", "Terça"}, TypedWeekday{"01031900", "Quinta"},
                      TypedWeekday{"01010001", "Segunda"}, TypedWeekday{"31129999", "Sexta"},
                      TypedWeekday{"29022023", ""}, TypedWeekday{"29021900", ""}, TypedWeekday{"0103", ""}));

TEST_F(ScreenDates, BackspaceEmptiesTheWeekdayAndRetypingFillsItAgain) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    ASSERT_EQ(s.edtSemIni->Text(), "Sexta");
    QTest::keyClick(s.depDtIni, Qt::Key_Backspace);
    EXPECT_EQ(s.edtSemIni->Text(), "");
    QTest::keyClick(s.depDtIni, Qt::Key_4);
    EXPECT_EQ(s.edtSemIni->Text(), "Sexta");
    QTest::keyClick(s.depDtIni, Qt::Key_Backspace);
    QTest::keyClick(s.depDtIni, Qt::Key_5);  // 01/03/2025
    EXPECT_EQ(s.edtSemIni->Text(), "Sábado");
}

TEST_F(ScreenDates, ANonExistentLeapDayNeverShowsAName) {
    TfrmLimpDados& s = Open();
    s.depDtIni->SetFocus();
    for (const QChar key : QStringLiteral("29022023")) {
        QTest::keyClicks(s.depDtIni, QString(key));
        EXPECT_EQ(s.edtSemIni->Text(), "") << "after typing up to " << s.depDtIni->Text().toStdString();
    }
}

TEST_F(ScreenDates, EachDateFieldTouchesOnlyItsOwnWeekday) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    Type(s.depDtFim, "29022024");
    EXPECT_EQ(s.edtSemIni->Text(), "Sexta");
    EXPECT_EQ(s.edtSemFim->Text(), "Quinta");
    QTest::keyClick(s.depDtFim, Qt::Key_Backspace);
    EXPECT_EQ(s.edtSemFim->Text(), "");
    EXPECT_EQ(s.edtSemIni->Text(), "Sexta");
    QTest::keyClick(s.depDtFim, Qt::Key_4);
    EXPECT_EQ(s.edtSemFim->Text(), "Quinta");
    EXPECT_EQ(s.edtSemIni->Text(), "Sexta");

    s.depDtIni->SetFocus();
    s.depDtIni->end(false);
    QTest::keyClick(s.depDtIni, Qt::Key_Backspace);
    EXPECT_EQ(s.edtSemIni->Text(), "");
    EXPECT_EQ(s.edtSemFim->Text(), "Quinta");
    QTest::keyClick(s.depDtIni, Qt::Key_4);
    EXPECT_EQ(s.edtSemIni->Text(), "Sexta");
    EXPECT_EQ(s.edtSemFim->Text(), "Quinta");
}

TEST_F(ScreenDates, FirstActivationShowsTheNamesOfTheEmptyDatesAndLaterOnesLeaveTheNamesAlone) {
    TfrmLimpDados& s = Open();
    EXPECT_EQ(s.depDtIni->Text(), "");
    EXPECT_EQ(s.edtSemIni->Text(), "");
    EXPECT_EQ(s.edtSemFim->Text(), "");
    EXPECT_FALSE(s.boPrimeiraVez) << "the first activation has happened";

    Type(s.depDtIni, "01032024");
    s.edtSemIni->Clear();  // a weekday field that went empty stays so
    QMdiSubWindow* other = area->addSubWindow(new QWidget);
    other->show();
    area->setActiveSubWindow(other);
    ASSERT_NE(Screen->ActiveForm(), &s);
    IniProc();
    ASSERT_EQ(Screen->ActiveForm(), &s);
    EXPECT_EQ(s.edtSemIni->Text(), "");
    EXPECT_EQ(s.edtSemFim->Text(), "");
}

TEST_F(ScreenDates, LeavingAnInvalidDateReportsItOnceAndKeepsTheFocus) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "3104");
    QTest::keyClick(s.depDtIni, Qt::Key_Tab);
    ASSERT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
    EXPECT_TRUE(messages.first().contains(s.depDtIni->Text())) << messages.first().toStdString();
    EXPECT_TRUE(s.depDtIni->hasFocus());

    messages.clear();
    Retype(s.depDtIni, "01032024");
    Type(s.depDtFim, "31022024");
    QTest::mouseClick(s.depDtIni, Qt::LeftButton);
    EXPECT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
    EXPECT_TRUE(s.depDtFim->hasFocus());
}

TEST_F(ScreenDates, LeavingEmptyOrValidDatesReportsNothing) {
    TfrmLimpDados& s = Open();
    s.depDtIni->SetFocus();
    QTest::keyClick(s.depDtIni, Qt::Key_Tab);
    QTest::keyClick(s.depDtFim, Qt::Key_Tab);
    Type(s.depDtIni, "01/03/2024");
    QTest::keyClick(s.depDtIni, Qt::Key_Tab);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_TRUE(s.depDtFim->hasFocus());
}

}  // namespace
