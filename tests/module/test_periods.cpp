// The period presets and the move keys, worked as a person does in the date
// fields: the dates and weekdays that follow, the preset's name beside the
// period, and the dates the report receives.
#include <QContextMenuEvent>
#include <QMenu>

#include "Funcoes.h"
#include "Keyboard.h"
#include "ScreenFixture.h"

namespace {

struct PeriodKeys {
    const char* name;
    const char* today;  // AAAA-MM-DD
    const char* typed;  // "ddmmyyyy ddmmyyyy" typed first; empty: nothing
    // Steps, one a word: "P:mes-passado" presses P in depDtIni and chooses
    // that preset from the list with the arrows and Enter; "<" and ">" press
    // Alt+Left and Alt+Right in depDtFim; "F:ddmmyyyy" retypes depDtFim.
    const char* steps;
    const char* first;  // the dates the report receives
    const char* last;
    const char* title;  // the period's group box afterwards
};

void PrintTo(const PeriodKeys& k, std::ostream* os) { *os << k.name; }

class ScreenPeriodKeys : public ScreenTest, public ::testing::WithParamInterface<PeriodKeys> {
protected:
    void TearDown() override {
        SetToday(0);
        ScreenTest::TearDown();
    }

    static void ChooseFromList(const QString& preset) {
        PressKey(Qt::Key_P);
        auto* list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(list, nullptr) << "P opens the list of periods";
        const QList<QAction*> actions = list->actions();
        int index = 0;
        while (index < actions.size() && actions[index]->objectName() != preset) ++index;
        ASSERT_LT(index, actions.size()) << preset.toStdString();
        for (int i = 0; i <= index; ++i) QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QApplication::processEvents();
    }

    void Step(TfrmLimpDados& s, const QString& step) {
        if (step.startsWith("P:")) {
            s.depDtIni->setFocus(Qt::OtherFocusReason);
            ChooseFromList(step.mid(2));
        } else if (step == "<" || step == ">") {
            s.depDtFim->setFocus(Qt::OtherFocusReason);
            PressKey(step == "<" ? Qt::Key_Left : Qt::Key_Right, Qt::AltModifier);
        } else if (step.startsWith("F:")) {
            Retype(s.depDtFim, step.mid(2));
        }
    }
};

TEST_P(ScreenPeriodKeys, PutDatesAsTypingDoesAndNameThePresetWhileTheyStand) {
    const PeriodKeys& k = GetParam();
    SetToday(FromQDate(QDate::fromString(k.today, Qt::ISODate)));
    TfrmLimpDados& s = Open();
    const QString title = s.GroupBox2->Caption();
    const QStringList typed = QString(k.typed).split(' ', Qt::SkipEmptyParts);
    if (typed.size() == 2) {
        Type(s.depDtIni, typed[0]);
        Type(s.depDtFim, typed[1]);
    }
    for (const QString& step : QString(k.steps).split(' ', Qt::SkipEmptyParts)) Step(s, step);
    EXPECT_EQ(s.GroupBox2->Caption(),
              *k.title ? title + QString::fromUtf8(" – ") + QString::fromUtf8(k.title) : title);
    EXPECT_EQ(s.edtSemIni->Text(), NomeSemana(s.depDtIni->GetDate())) << "the weekday follows";
    EXPECT_EQ(s.edtSemFim->Text(), NomeSemana(s.depDtFim->GetDate()));
    PressKey(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(paramsSeen.size(), 1u);
    EXPECT_EQ(paramsSeen[0].FindParam("P_DATAINI")->Value().ToDate(), StrToDate(k.first));
    EXPECT_EQ(paramsSeen[0].FindParam("P_DATAFIM")->Value().ToDate(), StrToDate(k.last));
}

// name | today | typed | steps | the report's period | preset named
INSTANTIATE_TEST_SUITE_P(
    Table, ScreenPeriodKeys,
    ::testing::Values(PeriodKeys{"LastMonthInALeapYear", "2024-03-15", "", "P:mes-passado",
                                 "01/02/2024", "29/02/2024", "Mês passado"},
                      PeriodKeys{"PresetOverTypedDates", "2025-12-31", "01012020 02012020",
                                 "P:este-trimestre", "01/10/2025", "31/12/2025", "Este trimestre"},
                      PeriodKeys{"EditingADateDropsTheName", "2024-03-15", "",
                                 "P:mes-passado F:28022024", "01/02/2024", "28/02/2024", ""},
                      PeriodKeys{"MovingDropsTheName", "2024-03-15", "", "P:mes-passado >",
                                 "01/03/2024", "31/03/2024", ""},
                      PeriodKeys{"MonthForwardKeepsTheMonth", "2025-06-01", "01022025 28022025",
                                 ">", "01/03/2025", "31/03/2025", ""},
                      PeriodKeys{"MonthBackIntoLeapFebruary", "2025-06-01", "01032024 31032024",
                                 "<", "01/02/2024", "29/02/2024", ""},
                      PeriodKeys{"DaysMoveByTheirCount", "2025-06-01", "28022024 29022024", "> >",
                                 "03/03/2024", "04/03/2024", ""}));

// The key only opens the list; Esc closes it and the dates stay as typed.
TEST_F(ScreenPeriodKeys, EscapeFromTheListKeepsTheDates) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "10032025");
    PressKey(Qt::Key_P);
    QWidget* list = QApplication::activePopupWidget();
    ASSERT_NE(list, nullptr);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), s.depDtIni) << "typing goes on in the field";
    EXPECT_EQ(s.depDtIni->Text(), "10/03/2025");
    EXPECT_EQ(s.depDtFim->Text(), "");
    EXPECT_EQ(s.Period()->PresetInForce(), -1);
}

// With the mouse: the field's context menu ends with the same list.
TEST_F(ScreenPeriodKeys, ContextMenuOfAFieldOffersThePeriods) {
    SetToday(EncodeDate(2024, 3, 15));
    TfrmLimpDados& s = Open();
    s.depDtFim->setFocus(Qt::OtherFocusReason);
    const QPoint at = s.depDtFim->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, s.depDtFim->mapToGlobal(at));
    QApplication::sendEvent(s.depDtFim, &click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QMenu* periods = menu->actions().constLast()->menu();
    ASSERT_NE(periods, nullptr) << "the menu ends with the periods";
    EXPECT_EQ(periods->title(), QString::fromUtf8("Períodos"));
    EXPECT_EQ(periods->actions().size(), 13);
    menu->close();
    periods->findChild<QAction*>("este-ano")->trigger();
    EXPECT_EQ(s.depDtIni->Text(), "01/01/2024");
    EXPECT_EQ(s.depDtFim->Text(), "31/12/2024");
    EXPECT_EQ(s.Period()->PresetInForce(), 8);
    EXPECT_EQ(QApplication::focusWidget(), s.depDtFim) << "typing goes on where the menu was";
}

}  // namespace
