// The screen worked from the keyboard alone: the report keys, the focus a
// person can see, the date keys with the weekday following them, and a whole
// report run without the mouse.
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QRegularExpression>

#include "Funcoes.h"
#include "Keyboard.h"
#include "ScreenFixture.h"

namespace {

class ScreenKeyboard : public ScreenTest {
protected:
    static QString Focused() {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // The next lookup list is answered by typing `keys` into its filter box
    // and pressing Enter.
    void AnswerLookupWithKeys(const char* keys) {
        answer = [keys](QDialog& dialog) {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            TypeKeys(keys);
            PressKey(Qt::Key_Return);
            return dialog.result();
        };
    }
};

TEST_F(ScreenKeyboard, AReportRunsFromTheDatesToThePreviewWithTheKeyboardAlone) {
    TfrmLimpDados& s = Open();
    EXPECT_EQ(Focused(), "cbbReportNames");
    PressKey(Qt::Key_Tab);
    TypeKeys("01032025");
    PressKey(Qt::Key_Tab);
    TypeKeys("31032025");
    EXPECT_EQ(s.edtSemIni->Text(), "Sábado");
    EXPECT_EQ(s.edtSemFim->Text(), "Segunda");
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(Focused(), "rbtTodosSist");
    PressKey(Qt::Key_Down);
    EXPECT_TRUE(s.rbtListaSist->Checked());
    AnswerLookupWithKeys("esto");
    PressKey(Qt::Key_F9);
    EXPECT_EQ(s.stListaSist, R"(["Estoque"])");
    QApplication::setActiveWindow(s.window());
    PressKey(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(reportsDone.size(), 1);
    EXPECT_TRUE(reportsDone.first().startsWith("preview:")) << reportsDone.first().toStdString();
    ASSERT_EQ(paramsSeen.size(), 1u);
    EXPECT_EQ(paramsSeen[0].FindParam("P_SISTEMA")->AsString(), R"(["Estoque"])");
    EXPECT_EQ(paramsSeen[0].FindParam("P_DATAFIM")->Value().ToDate(), EncodeDate(2025, 3, 31));
}

TEST_F(ScreenKeyboard, EveryControlThatTakesTheFocusShowsItFromTheStart) {
    TfrmLimpDados& s = Open();
    QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);  // a click does not hide it either
    int checked = 0;
    for (QObject* component : s.Components()) {
        auto* control = qobject_cast<QWidget*>(component);
        if (!control || control->focusPolicy() == Qt::NoFocus || !control->isEnabled()) continue;
        EXPECT_TRUE(FocusShows(control)) << control->objectName().toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 5) << "the report list, both dates and both options";
}

TEST_F(ScreenKeyboard, DateKeysMoveTheDateAndTheWeekdayFollows) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    const struct {
        Qt::Key key;
        const char* date;
        const char* weekday;
    } steps[] = {{Qt::Key_Plus, "02/03/2024", "Sábado"},
                 {Qt::Key_PageUp, "02/04/2024", "Terça"},
                 {Qt::Key_Down, "01/04/2024", "Segunda"}};
    for (const auto& step : steps) {
        PressKey(step.key);
        EXPECT_EQ(s.depDtIni->Text(), step.date);
        EXPECT_EQ(s.edtSemIni->Text(), QString::fromUtf8(step.weekday)) << step.date;
    }
    PressKey(Qt::Key_H);
    EXPECT_EQ(s.depDtIni->GetDate(), Date());
    EXPECT_EQ(s.edtSemIni->Text(), NomeSemana(Date()));
    EXPECT_EQ(s.edtSemFim->Text(), "");
}

// The screen's help page (its help file and context, as the host looks them
// up) lists every key a button's or a date field's hint names, so the two cannot drift apart.
TEST_F(ScreenKeyboard, HelpPageListsEveryKeyTheButtonsHintsName) {
    TfrmLimpDados& s = Open();
    QFile page(QStringLiteral(HELP_DIR "/%1/%2.html")
                   .arg(QFileInfo(s.HelpFile()).completeBaseName().toLower())
                   .arg(s.HelpContext()));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QString text = QString::fromUtf8(page.readAll());
    static const QRegularExpression keyInHint(QStringLiteral("\\(([^)]+)\\)$"));
    QStringList keys;
    for (QObject* component : s.Components())
        if (auto* button = qobject_cast<TButtonFlat*>(component))
            if (const auto key = keyInHint.match(button->toolTip()); key.hasMatch())
                keys << key.captured(1);
    EXPECT_EQ(keys.size(), 4) << "Visualizar, Imprimir, Salvar como and Pesquisar";
    static const QRegularExpression keysInHint(QStringLiteral("\\(([^)]+)\\)"));
    for (auto it = keysInHint.globalMatch(s.depDtIni->toolTip()); it.hasNext();) keys << it.next().captured(1);
    EXPECT_EQ(keys.size(), 7) << "and the date fields' period keys";
    for (const QString& key : keys)
        EXPECT_TRUE(text.contains(QStringLiteral("<td>%1</td>").arg(key))) << key.toStdString();
}

// A report key, the button it presses and the hint that names it.
struct ReportKey {
    const char* action;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    TButtonFlat* TfrmDadosGerRel::*button;
    const char* hint;
};

void PrintTo(const ReportKey& k, std::ostream* os) { *os << k.action; }

class ScreenReportKeys : public ScreenKeyboard, public ::testing::WithParamInterface<ReportKey> {};

TEST_P(ScreenReportKeys, KeyRunsTheScreensCheckThenTheActionAndNothingWhileTheButtonIsOff) {
    const ReportKey& k = GetParam();
    TfrmLimpDados& s = Open();
    EXPECT_EQ((s.*k.button)->toolTip(), QString::fromUtf8(k.hint));
    AnswerPrompts(QStringLiteral("Limpeza pelo teclado"));
    Type(s.depDtIni, "02032025");
    Type(s.depDtFim, "01032025");
    PressKey(k.key, k.modifiers);
    EXPECT_EQ(messages, QStringList{"Data inicial deve ser menor ou igual a data final."});
    EXPECT_EQ(Focused(), "depDtIni");
    EXPECT_TRUE(reportsDone.isEmpty());

    messages.clear();
    Retype(s.depDtFim, "02032025");
    PressKey(k.key, k.modifiers);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    ASSERT_EQ(reportsDone.size(), 1);
    EXPECT_TRUE(reportsDone.first().startsWith(QString::fromLatin1(k.action) + ":"));

    (s.*k.button)->SetEnabled(false);  // as while a report is running
    PressKey(k.key, k.modifiers);
    (s.*k.button)->SetEnabled(true);
    QMdiSubWindow* other = area->addSubWindow(new QLineEdit);
    other->show();
    area->setActiveSubWindow(other);
    other->widget()->setFocus();
    PressKey(k.key, k.modifiers);  // another screen is in front
    EXPECT_EQ(reportsDone.size(), 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    PreviewPrintSaveAs, ScreenReportKeys,
    ::testing::Values(
        ReportKey{"preview", Qt::Key_F2, Qt::ControlModifier, &TfrmDadosGerRel::sbtPreview,
                  "Visualizar (Ctrl+F2)"},
        ReportKey{"print", Qt::Key_P, Qt::ControlModifier, &TfrmDadosGerRel::sbtPrint,
                  "Imprimir (Ctrl+P)"},
        ReportKey{"saveas", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier,
                  &TfrmDadosGerRel::sbtSalvarComo, "Salvar como (Ctrl+Shift+S)"}),
    [](const auto& info) { return std::string(info.param.action); });

}  // namespace
