// The screen that remembers when asked: worked in one opening, closed, and
// opened again (on the same day or a later one), as a person does; what the
// screen shows then and what the report receives.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include "Funcoes.h"
#include "Keyboard.h"
#include "ScreenFixture.h"

namespace {

struct Reopening {
    const char* name;
    bool remember;      // [screens] remember
    const char* today;  // AAAA-MM-DD of the first opening
    // Steps, one a word: "D:ddmmyyyy:ddmmyyyy" types both dates,
    // "P:mes-passado" presses P in depDtIni and chooses that preset,
    // "L:Estoque" clicks Lista and picks those systems (comma between) with
    // F9, "R" chooses the next report with the Down key, "K" presses
    // Ctrl+Shift+R, "M" chooses "Restaurar padrão" from the screen's context
    // menu, "C" closes the screen and opens it again.
    const char* steps;
    const char* reopenedOn;  // AAAA-MM-DD of the last opening
    // What the reopened screen shows and its report receives.
    const char* first;
    const char* last;
    const char* preset;   // the preset's caption beside the period; empty: none
    const char* systems;  // P_SISTEMA; empty: "Todas"
    int report;           // the report chosen
    bool restored;        // "Valores restaurados" shows
    bool fileKept;        // the state file after the screen closes at last
};

void PrintTo(const Reopening& r, std::ostream* os) { *os << r.name; }

class RememberedScreen : public ScreenTest, public ::testing::WithParamInterface<Reopening> {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        HostConfig::Instance().screenStateDir = stateDir.path();
    }
    void TearDown() override {
        SetToday(0);
        ScreenTest::TearDown();
    }

    // As the host opens it for a person (reports go to files, so that they
    // can be checked without a preview).
    TfrmLimpDados& OpenAsAPerson() { return Open(); }

    void Step(const QString& step) {
        TfrmLimpDados& s = *frmLimpDados;
        if (step.startsWith("D:")) {
            Retype(s.depDtIni, step.section(':', 1, 1));
            Retype(s.depDtFim, step.section(':', 2, 2));
        } else if (step.startsWith("P:")) {
            s.depDtIni->setFocus(Qt::OtherFocusReason);
            PressKey(Qt::Key_P);
            auto* list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(list, nullptr);
            list->findChild<QAction*>(step.mid(2))->trigger();
            list->close();
        } else if (step.startsWith("L:")) {
            QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
            AnswerLookups(step.mid(2).split(','));
            QTest::keyClick(s.rbtListaSist, Qt::Key_F9);
        } else if (step == "R") {
            s.cbbReportNames->setFocus(Qt::OtherFocusReason);
            PressKey(Qt::Key_Down);
        } else if (step == "K") {
            s.depDtFim->setFocus(Qt::OtherFocusReason);
            PressKey(Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        } else if (step == "M") {
            const QPoint at = s.grbSistema->rect().center();
            QContextMenuEvent click(QContextMenuEvent::Mouse, at, s.grbSistema->mapToGlobal(at));
            QApplication::sendEvent(s.grbSistema, &click);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr) << "a right click on the screen opens its menu";
            ASSERT_EQ(menu->actions().size(), 1);
            EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("Restaurar padrão"));
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        } else if (step == "C") {
            CloseScreen();
            OpenAsAPerson();
        }
        QApplication::processEvents();
    }

    QTemporaryDir stateDir;
};

TEST_P(RememberedScreen, OpensAgainWithWhatWasLeftOnlyWhenAsked) {
    const Reopening& r = GetParam();
    HostConfig::Instance().rememberScreens = r.remember;
    SetToday(FromQDate(QDate::fromString(r.today, Qt::ISODate)));
    OpenAsAPerson();
    const QString title = frmLimpDados->GroupBox2->Caption();
    for (const QString& step : QString(r.steps).split(' ', Qt::SkipEmptyParts)) Step(step);
    CloseScreen();
    SetToday(FromQDate(QDate::fromString(r.reopenedOn, Qt::ISODate)));
    TfrmLimpDados& s = OpenAsAPerson();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    EXPECT_EQ(s.depDtIni->Text(), r.first);
    EXPECT_EQ(s.depDtFim->Text(), r.last);
    EXPECT_EQ(s.edtSemIni->Text(), *r.first ? NomeSemana(s.depDtIni->GetDate()) : "")
        << "the weekday follows";
    EXPECT_EQ(s.edtSemFim->Text(), *r.last ? NomeSemana(s.depDtFim->GetDate()) : "");
    EXPECT_EQ(s.GroupBox2->Caption(),
              *r.preset ? title + QString::fromUtf8(" – ") + QString::fromUtf8(r.preset) : title);
    EXPECT_EQ(s.rbtListaSist->Checked(), *r.systems != 0);
    EXPECT_EQ(s.sbtSist->Enabled(), *r.systems != 0) << "as a click on the option leaves it";
    EXPECT_EQ(s.cbbReportNames->ItemIndex(), r.report);
    auto* restored = s.findChild<QLabel*>("lblValoresRestaurados");
    EXPECT_EQ(restored && restored->isVisible(), r.restored);
    EXPECT_EQ(s.ValuesRestored(), r.restored);
    if (*r.first) {
        PressKey(Qt::Key_F2, Qt::ControlModifier);
        ASSERT_EQ(paramsSeen.size(), 1u) << messages.join(" | ").toStdString();
        EXPECT_EQ(DateToStr(paramsSeen[0].FindParam("P_DATAINI")->Value().ToDate()), r.first);
        EXPECT_EQ(DateToStr(paramsSeen[0].FindParam("P_DATAFIM")->Value().ToDate()), r.last);
        EXPECT_EQ(paramsSeen[0].FindParam("P_SISTEMA")->AsString(), QString::fromUtf8(r.systems));
    }
    CloseScreen();
    EXPECT_EQ(QFileInfo::exists(stateDir.filePath("RCL04700.json")), r.fileKept);
}

// name | remember | today | steps | reopened on | dates | preset | systems | report | restored |
// file kept
INSTANTIATE_TEST_SUITE_P(
    Table, RememberedScreen,
    ::testing::Values(
        Reopening{"DatesListAndReportComeBack", true, "2025-03-20",
                  "R D:03032025:14032025 L:Estoque,Compras/Suprimentos", "2025-03-20", "03/03/2025",
                  "14/03/2025", "", R"(["Compras/Suprimentos","Estoque"])", 1, true, true},
        Reopening{"APresetComesBackByItsNameOnALaterDay", true, "2026-03-15", "P:mes-passado",
                  "2026-06-10", "01/05/2026", "31/05/2026", "Mês passado", "", 0, true, true},
        Reopening{"DatesMovedOffThePresetComeBackAsDates", true, "2026-03-15",
                  "P:mes-passado D:01022026:27022026", "2026-06-10", "01/02/2026", "27/02/2026", "",
                  "", 0, true, true},
        Reopening{"OffOpensTheDocumentedFreshScreen", false, "2025-03-20",
                  "R D:03032025:14032025 L:Estoque", "2025-03-20", "", "", "", "", 0, false, false},
        Reopening{"TheKeyPutsTheDefaultsBackAndForgetsThem", true, "2025-03-20",
                  "R D:03032025:14032025 L:Estoque C K", "2025-03-20", "", "", "", "", 0, false,
                  false},
        Reopening{"TheMenuPutsTheDefaultsBackAndForgetsThem", true, "2026-03-15",
                  "P:este-ano L:Estoque C M", "2026-03-15", "", "", "", "", 0, false, false},
        Reopening{"ValuesChosenAfterRestoringTheDefaultsAreKept", true, "2026-03-15",
                  "P:este-ano C K P:ontem", "2026-03-15", "14/03/2026", "14/03/2026", "Ontem", "",
                  0, true, true}),
    [](const ::testing::TestParamInfo<Reopening>& info) { return std::string(info.param.name); });

}  // namespace
