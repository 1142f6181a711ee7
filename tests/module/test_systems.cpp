// Choosing all systems or a list of them, and the lookup list that picks the
// list, opened by the search button or by F9 on "Lista".
#include "ScreenFixture.h"

namespace {

class ScreenSystems : public ScreenTest {
protected:
    TfrmLimpDados& OpenWithList() {
        TfrmLimpDados& s = Open();
        QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
        return s;
    }
};

const QString kEstoque = QStringLiteral(R"(["Estoque"])");

TEST_F(ScreenSystems, ListEnablesTheSearchAndForgetsTheEarlierChoiceAllDisablesItAndKeepsTheText) {
    TfrmLimpDados& s = OpenWithList();
    EXPECT_TRUE(s.rbtListaSist->Checked());
    EXPECT_TRUE(s.sbtSist->Enabled());
    AnswerLookups({"Estoque"});
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    ASSERT_EQ(s.stListaSist, kEstoque);

    QTest::mouseClick(s.rbtTodosSist, Qt::LeftButton);
    EXPECT_FALSE(s.sbtSist->Enabled());
    EXPECT_EQ(s.stListaSist, kEstoque);

    QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
    EXPECT_TRUE(s.sbtSist->Enabled());
    EXPECT_EQ(s.stListaSist, "");
}

TEST_F(ScreenSystems, SearchButtonOpensTheLookupOfTheFourSystemsTitledSistema) {
    TfrmLimpDados& s = OpenWithList();
    AnswerLookups({"Estoque", "Compras/Suprimentos"});
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    EXPECT_EQ(dialogs, QStringList{"Sistema"});
    EXPECT_EQ(lookupRows, (QStringList{"Compras/Suprimentos", "Documentos Fiscais/Financeiro", "Estoque",
                                       "Planejamento Alim. Industrial"}));
    EXPECT_EQ(s.stListaSist, R"(["Compras/Suprimentos","Estoque"])");
}

TEST_F(ScreenSystems, DisabledSearchButtonOpensNothing) {
    TfrmLimpDados& s = Open();
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    EXPECT_TRUE(dialogs.isEmpty());
}

// Modifiers held with F9 on "Lista".
class ScreenSystemsF9 : public ScreenSystems, public ::testing::WithParamInterface<Qt::KeyboardModifiers> {};

TEST_P(ScreenSystemsF9, F9OnListOpensTheLookupWhateverModifierIsHeld) {
    TfrmLimpDados& s = OpenWithList();
    AnswerLookups({"Estoque"});
    s.rbtListaSist->SetFocus();
    QTest::keyClick(s.rbtListaSist, Qt::Key_F9, GetParam());
    EXPECT_EQ(dialogs, QStringList{"Sistema"});
    EXPECT_EQ(s.stListaSist, kEstoque);
}

INSTANTIATE_TEST_SUITE_P(NoneShiftCtrlAlt, ScreenSystemsF9,
                         ::testing::Values(Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier));

TEST_F(ScreenSystems, OtherKeysOnListOpenNothing) {
    TfrmLimpDados& s = OpenWithList();
    s.rbtListaSist->SetFocus();
    for (Qt::Key key : {Qt::Key_F8, Qt::Key_F10, Qt::Key_9, Qt::Key_Return, Qt::Key_A})
        QTest::keyClick(s.rbtListaSist, key);
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(" | ").toStdString();
}

TEST_F(ScreenSystems, F9OnListOpensTheLookupEvenWhileAllIsChosen) {
    TfrmLimpDados& s = Open();
    s.rbtListaSist->SetFocus();
    ASSERT_TRUE(s.rbtTodosSist->Checked());
    QTest::keyClick(s.rbtListaSist, Qt::Key_F9);
    EXPECT_EQ(dialogs, QStringList{"Sistema"});
}

TEST_F(ScreenSystems, SecondLookupReplacesTheFirstAndCancelKeepsIt) {
    TfrmLimpDados& s = OpenWithList();
    AnswerLookups({"Estoque", "Planejamento Alim. Industrial"});
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    AnswerLookups({"Documentos Fiscais/Financeiro"});
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    EXPECT_EQ(s.stListaSist, R"(["Documentos Fiscais/Financeiro"])");

    answer = nullptr;  // Cancel
    QTest::mouseClick(s.sbtSist, Qt::LeftButton);
    EXPECT_EQ(dialogs.size(), 3);
    EXPECT_EQ(s.stListaSist, R"(["Documentos Fiscais/Financeiro"])");
}

}  // namespace
