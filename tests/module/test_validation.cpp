// The check of the period in front of preview, print and save-as, each
// pressed with the mouse: which message stops the action, where the focus
// goes, and that the action runs once the period is right.
#include "ScreenFixture.h"

namespace {

struct ReportButton {
    const char* action;  // as the report component reports it
    TButtonFlat* TfrmDadosGerRel::*button;
};

void PrintTo(const ReportButton& b, std::ostream* os) { *os << b.action; }

const QString kNoInitial = QStringLiteral("Data inicial deve ser informada.");
const QString kNoFinal = QStringLiteral("Data final deve ser informada.");
const QString kOutOfOrder = QStringLiteral("Data inicial deve ser menor ou igual a data final.");

class ScreenValidation : public ScreenTest, public ::testing::WithParamInterface<ReportButton> {
protected:
    // Presses the button; a save-as prompt gets a new title.
    void Press(TfrmLimpDados& s) {
        AnswerPrompts(QStringLiteral("Limpeza conferida"));
        QTest::mouseClick(s.*GetParam().button, Qt::LeftButton);
    }
    void ExpectStoppedWith(const QStringList& shown) {
        EXPECT_EQ(messages, shown);
        EXPECT_TRUE(dialogs.isEmpty()) << "no prompt before the check passes";
        EXPECT_TRUE(paramsSeen.empty());
        EXPECT_TRUE(reportsDone.isEmpty()) << reportsDone.join(" | ").toStdString();
    }
    void ExpectRan() {
        EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
        ASSERT_EQ(reportsDone.size(), 1);
        EXPECT_TRUE(reportsDone.first().startsWith(QString::fromLatin1(GetParam().action) + ":"))
            << reportsDone.first().toStdString();
    }
    // One message, the field's own report of its text; none of the catalogue's.
    void ExpectFieldReport(const QString& text) {
        ASSERT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
        EXPECT_TRUE(messages.first().contains(text)) << messages.first().toStdString();
        ExpectStoppedWith(messages);
    }
    void TypePeriod(TfrmLimpDados& s, const QString& first, const QString& last) {
        Type(s.depDtIni, first);
        Type(s.depDtFim, last);
    }
};

TEST_P(ScreenValidation, BothDatesEmptyAsksOnlyForTheInitialDate) {
    TfrmLimpDados& s = Open();
    s.rbtTodosSist->SetFocus();
    Press(s);
    ExpectStoppedWith({kNoInitial});
    EXPECT_TRUE(s.depDtIni->hasFocus());
}

TEST_P(ScreenValidation, InitialDateAloneAsksForTheFinalDate) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    Press(s);
    ExpectStoppedWith({kNoFinal});
    EXPECT_TRUE(s.depDtFim->hasFocus());
}

TEST_P(ScreenValidation, FinalDayBeforeInitialStopsWithNothingChangedButTheFocusAndRunsOnceCorrected) {
    TfrmLimpDados& s = Open();
    QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
    TypePeriod(s, "01012025", "31122024");  // as text the final date would sort after the initial
    const QStringList before{s.depDtIni->Text(), s.depDtFim->Text(), s.edtSemIni->Text(), s.edtSemFim->Text(),
                             s.cbbReportNames->Text(), s.stListaSist};
    Press(s);
    ExpectStoppedWith({kOutOfOrder});
    EXPECT_TRUE(s.depDtIni->hasFocus()) << "the initial date, not the final one";
    EXPECT_EQ((QStringList{s.depDtIni->Text(), s.depDtFim->Text(), s.edtSemIni->Text(), s.edtSemFim->Text(),
                           s.cbbReportNames->Text(), s.stListaSist}),
              before);
    EXPECT_TRUE(s.rbtListaSist->Checked());

    messages.clear();
    Retype(s.depDtFim, "01012025");
    Press(s);
    ExpectRan();
}

TEST_P(ScreenValidation, SameDayRuns) {
    TfrmLimpDados& s = Open();
    TypePeriod(s, "29/02/2024", "29022024");
    Press(s);
    ExpectRan();
}

TEST_P(ScreenValidation, ListWithoutLookupRuns) {
    TfrmLimpDados& s = Open();
    QTest::mouseClick(s.rbtListaSist, Qt::LeftButton);
    TypePeriod(s, "01012024", "31122025");
    Press(s);
    ExpectRan();
}

TEST_P(ScreenValidation, InvalidInitialDateIsReportedByTheFieldAlone) {
    TfrmLimpDados& s = Open();
    Type(s.depDtFim, "31122024");
    Type(s.depDtIni, "31042024");  // the focus stays in the field
    Press(s);
    ExpectFieldReport("31/04/2024");
    EXPECT_TRUE(s.depDtIni->hasFocus());
}

TEST_P(ScreenValidation, InvalidFinalDateIsReportedByTheFieldAlone) {
    TfrmLimpDados& s = Open();
    TypePeriod(s, "01012024", "3112");
    Press(s);
    ExpectFieldReport("31/12/____");
    EXPECT_TRUE(s.depDtFim->hasFocus());
}

TEST_P(ScreenValidation, BothInvalidReportsOnlyTheInitialDate) {
    TfrmLimpDados& s = Open();
    s.depDtFim->SetText("30022024");
    Type(s.depDtIni, "31042024");
    Press(s);
    ExpectFieldReport("31/04/2024");
    EXPECT_FALSE(messages.join(" | ").contains("30/02/2024"));
}

INSTANTIATE_TEST_SUITE_P(PreviewPrintSaveAs, ScreenValidation,
                         ::testing::Values(ReportButton{"preview", &TfrmDadosGerRel::sbtPreview},
                                           ReportButton{"print", &TfrmDadosGerRel::sbtPrint},
                                           ReportButton{"saveas", &TfrmDadosGerRel::sbtSalvarComo}),
                         [](const auto& info) { return std::string(info.param.action); });

using ScreenSaveAs = ScreenTest;

TEST_F(ScreenSaveAs, PromptUsesTheScreensCatalogueAndTheCopyLandsInTheUsersFolder) {
    TfrmLimpDados& s = Open();
    Type(s.depDtIni, "01032024");
    Type(s.depDtFim, "31032024");
    AnswerPrompts(QStringLiteral("Limpeza de março"));
    QTest::mouseClick(s.sbtSalvarComo, Qt::LeftButton);
    EXPECT_EQ(promptTexts, (QStringList{"Título do Relatório", "Informe o título do relatório:"}));
    EXPECT_EQ(reportsDone, QStringList{"saveas:Limpeza de março"});
    EXPECT_EQ(QDir(reportsDir.path()).entryList({"*.rpt"}).size(), 2);
    EXPECT_EQ(QDir(userReportsDir.path()).entryList({"*.rpt"}).size(), 1);
    EXPECT_TRUE(s.cbbReportNames->Items().contains("Limpeza de março"));
}

}  // namespace
