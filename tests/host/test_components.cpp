// The smaller shared routines and components: the catalogue, the error
// message, weekday names, the text prompt, the parameter test, the flat
// button, and the host classes as a screen definition names them.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ButtonFlat.h"
#include "ClassRegistry.h"
#include "Funcoes.h"
#include "HostTestSupport.h"
#include "Messages.h"
#include "PesquisaLista.h"
#include "ReportLib.h"

namespace {

TEST(Messages, MsgGivesTheTextOfTheFirstLineWithTheKeyOrTheKeyItself) {
    TMessages catalogue;
    catalogue.SetMessages({"DtIni_Inv|Data inicial deve ser informada.", "Dup|primeira",
                           "Dup|segunda", "Barra|a|b", "Sem_Texto"});
    EXPECT_EQ(catalogue.Msg("DtIni_Inv"), "Data inicial deve ser informada.");
    EXPECT_EQ(catalogue.Msg("Dup"), "primeira");
    EXPECT_EQ(catalogue.Msg("Barra"), "a|b");
    EXPECT_EQ(catalogue.Msg("Sem_Texto"), "");
    EXPECT_EQ(catalogue.Msg("Faltando"), "Faltando");
    EXPECT_EQ(catalogue.Msg("dtini_inv"), "dtini_inv") << "keys are compared as written";
}

TEST(MensErro, ShowsAnErrorAndWithAbortEndsTheAction) {
    MessageCapture messages;
    EXPECT_NO_THROW(MensErro("primeira", false));
    EXPECT_THROW(MensErro("segunda", true), EAbort);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].first, mtError);
    EXPECT_EQ(messages.Texts(), (QStringList{"primeira", "segunda"}));
}

struct Weekday {
    int year, month, day;
    const char* name;
};

class NomeSemanaOf : public ::testing::TestWithParam<Weekday> {};

TEST_P(NomeSemanaOf, NamesTheDayOfTheWeek) {
    const Weekday& c = GetParam();
    EXPECT_EQ(NomeSemana(EncodeDate(c.year, c.month, c.day)), QString::fromUtf8(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    AWeekAndFarYears, NomeSemanaOf,
    ::testing::Values(Weekday{2024, 3, 3, "Domingo"}, Weekday{2024, 3, 4, "Segunda"},
                      Weekday{2024, 3, 5, "Terça"}, Weekday{2024, 3, 6, "Quarta"},
                      Weekday{2024, 3, 7, "Quinta"}, Weekday{2024, 3, 8, "Sexta"},
                      Weekday{2024, 3, 9, "Sábado"}, Weekday{2024, 2, 29, "Quinta"},
                      Weekday{1899, 12, 31, "Domingo"}, Weekday{1, 1, 1, "Segunda"},
                      Weekday{9999, 12, 31, "Sexta"}));

TEST(NomeSemana, EmptyFieldValueAndValuesWithoutADayHaveNoName) {
    EXPECT_EQ(NomeSemana(0), "");
    EXPECT_EQ(NomeSemana(1e9), "");
    EXPECT_EQ(NomeSemana(EncodeDate(2024, 3, 3) + 0.75), "Domingo")
        << "the time of day does not matter";
}

TEST(InputQuery, OkStoresTheTypedText) {
    QString value = "Limpeza";
    ModalAnswer answer([](QDialog& dialog) {
        auto& prompt = dynamic_cast<TfrmInputQuery&>(dialog);
        EXPECT_EQ(prompt.Caption(), QString::fromUtf8("Título do Relatório"));
        EXPECT_EQ(prompt.Prompt(), QString::fromUtf8("Informe o título do relatório:"));
        EXPECT_EQ(prompt.Value(), "Limpeza");
        auto* edit = dialog.findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, "Mensal");
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        return dialog.result();
    });
    EXPECT_TRUE(InputQuery(QString::fromUtf8("Título do Relatório"),
                           QString::fromUtf8("Informe o título do relatório:"), value));
    EXPECT_EQ(value, "Mensal");
}

TEST(InputQuery, CancelLeavesTheValue) {
    QString value = "Limpeza";
    ModalAnswer answer([](QDialog& dialog) {
        dynamic_cast<TfrmInputQuery&>(dialog).SetValue("Outro");
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnCancelar"), Qt::LeftButton);
        return dialog.result();
    });
    EXPECT_FALSE(InputQuery("T", "P", value));
    EXPECT_EQ(value, "Limpeza");
}

TEST(ExistParam, FindsExactlyWhatParamByNameFinds) {
    TParams params;
    EXPECT_FALSE(ExistParam(params, "P_DATAINI"));
    params.CreateParam(ftUnknown, "P_DATAINI");
    params.CreateParam(ftUnknown, "p_sistema");
    for (const QString name :
         {"P_DATAINI", "p_dataini", "P_SISTEMA", "P_DATA", "P_DATAINI ", "", "P_TSISTEMA"}) {
        bool found = true;
        try {
            params.ParamByName(name);
        } catch (const EDatabaseError&) {
            found = false;
        }
        EXPECT_EQ(ExistParam(params, name), found) << name.toStdString();
    }
    EXPECT_TRUE(ExistParam(params, "P_SISTEMA"));
    EXPECT_FALSE(ExistParam(params, "P_TSISTEMA"));
}

// The host classes as a screen definition uses them: properties, inherited
// properties and events bound by name.
class HostClassesInADefinition : public ::testing::Test {
protected:
    void TearDown() override { DeleteForms(); }
};

TEST_F(HostClassesInADefinition, PropertiesAreAppliedFromTheDefinition) {
    TfrmHostComponents* form = CreateShownHostForm();
    EXPECT_EQ(form->depDtIni->NomeSemana().at(2), QString::fromUtf8("Terça"));
    EXPECT_EQ(form->depDtIni->palette().color(QPalette::Base), ToQColor(clInfoBk));
    EXPECT_EQ(form->depDtFim->Text(), "") << "Text = '  /  /    ' is an empty field";
    form->depDtFim->SetText("01032024");
    EXPECT_EQ(form->depDtFim->palette().color(QPalette::Text), ToQColor(clGreen));
    EXPECT_EQ(form->msgPadrao->Msg("DtIni_Inv"), "Data inicial deve ser informada.");
    EXPECT_EQ(form->msgPadrao->Msg("Dup"), "primeira");
    EXPECT_TRUE(form->sbtSist->autoRaise());
    EXPECT_FALSE(form->sbtSist->isEnabled());
    EXPECT_EQ(form->sbtSist->toolTip(), "Pesquisar");
    EXPECT_FALSE(form->sbtSist->icon().isNull());
}

TEST_F(HostClassesInADefinition, FlatButtonRaisesOnClickOnlyWhileEnabled) {
    TfrmHostComponents* form = CreateShownHostForm();
    QTest::mouseClick(form->sbtSist, Qt::LeftButton);
    EXPECT_TRUE(hostEvents.isEmpty());
    form->sbtSist->SetEnabled(true);
    QTest::mouseClick(form->sbtSist, Qt::LeftButton);
    EXPECT_EQ(hostEvents, QStringList{"sbtSistClick"});
}

TEST_F(HostClassesInADefinition, LoadingRaisesNoChangeEvents) {
    hostEvents.clear();
    TfrmHostComponents* form = nullptr;
    Application->CreateForm(form);
    EXPECT_TRUE(hostEvents.isEmpty()) << hostEvents.join(", ").toStdString();
}

}  // namespace
