// The screen as its definition builds it on top of the base report screen:
// what a person sees when it opens, the focus order, the catalogue and the
// systems table.
#include "ScreenFixture.h"

namespace {

using ScreenDefinition = ScreenTest;

TEST_F(ScreenDefinition, FreshScreenShowsAllSystemsChosenAndItsCodes) {
    TfrmLimpDados& s = Open();
    EXPECT_EQ(s.Caption(), "Relatório de Limpeza de Dados");
    EXPECT_EQ(s.Name(), "frmLimpDados");
    EXPECT_TRUE(s.rbtTodosSist->Checked());
    EXPECT_FALSE(s.rbtListaSist->Checked());
    EXPECT_FALSE(s.sbtSist->Enabled());
    EXPECT_FALSE(s.edtSemIni->Enabled());
    EXPECT_FALSE(s.edtSemFim->Enabled());
    EXPECT_EQ(s.lblCodTela->Caption(), "RCL04700");
    EXPECT_EQ(s.lblCodRel->Caption(), "RCL047");
    EXPECT_EQ(s.GroupBox2->Caption(), "Data da Limpeza");
    EXPECT_EQ(s.grbSistema->Caption(), "Sistema");
    EXPECT_EQ(s.Label1->Caption(), "Inicial");
    EXPECT_EQ(s.Label2->Caption(), "Final");
    EXPECT_EQ(s.rbtTodosSist->Caption(), "Todas");
    EXPECT_EQ(s.rbtListaSist->Caption(), "Lista");
    EXPECT_EQ(s.sbtSist->toolTip(), "Pesquisar (F9)");
    EXPECT_EQ(s.cbbReportNames->Items().size(), 2) << "both RCL047 reports are offered";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

TEST_F(ScreenDefinition, AddedAndChangedComponentsSitWhereTheDefinitionPutsThem) {
    TfrmLimpDados& s = Open();
    EXPECT_EQ(s.height(), 145);
    EXPECT_EQ(s.grbDadosRel->Height(), 118);
    EXPECT_EQ(s.cbbReportNames->Left(), 62);
    EXPECT_EQ(s.cbbReportNames->Width(), 318);
    EXPECT_EQ(s.lblCodRel->Left(), 222);
    EXPECT_EQ(s.GroupBox2->parentWidget(), s.grbDadosRel);
    EXPECT_EQ(s.GroupBox2->geometry(), QRect(8, 44, 260, 67));
    EXPECT_EQ(s.grbSistema->geometry(), QRect(272, 44, 112, 67));
    EXPECT_EQ(s.depDtFim->parentWidget(), s.GroupBox2);
    EXPECT_EQ(s.depDtIni->geometry(), QRect(61, 15, 98, 21));
    EXPECT_EQ(s.edtSemFim->geometry(), QRect(163, 40, 90, 21));
    EXPECT_EQ(s.sbtSist->parentWidget(), s.grbSistema);
    EXPECT_EQ(s.sbtSist->geometry(), QRect(70, 40, 21, 21));
    EXPECT_EQ(s.sbtSist->NumGlyphs(), 2);
    EXPECT_EQ(s.depDtIni->palette().color(QPalette::Base), ToQColor(clInfoBk));
}

TEST_F(ScreenDefinition, TabGoesFromTheInitialDateToTheFinalDateThenToTheSystemChoice) {
    TfrmLimpDados& s = Open();
    s.depDtIni->SetFocus();
    QTest::keyClick(s.depDtIni, Qt::Key_Tab);
    EXPECT_TRUE(s.depDtFim->hasFocus());
    QTest::keyClick(s.depDtFim, Qt::Key_Tab);  // the weekday fields are disabled
    EXPECT_TRUE(s.rbtTodosSist->hasFocus());
}

TEST_F(ScreenDefinition, FramesAndCaptionsAreBoldTheEntriesRegular) {
    TfrmLimpDados& s = Open();
    for (QWidget* bold : std::initializer_list<QWidget*>{s.GroupBox2, s.Label1, s.Label2, s.grbSistema,
                                                        s.rbtTodosSist, s.rbtListaSist})
        EXPECT_TRUE(bold->font().bold()) << bold->objectName().toStdString();
    for (QWidget* regular : std::initializer_list<QWidget*>{s.depDtIni, s.depDtFim, s.edtSemIni, s.edtSemFim})
        EXPECT_FALSE(regular->font().bold()) << regular->objectName().toStdString();
    EXPECT_EQ(s.depDtIni->font().family(), "MS Sans Serif");
}

TEST_F(ScreenDefinition, CatalogueHoldsExactlyTheElevenTexts) {
    TfrmLimpDados& s = Open();
    const std::vector<std::pair<QString, QString>> texts = {
        {"Arq_Rel_Err",
         "O arquivo contendo a definição do Relatório de código '%s' não foi encontrado no diretório '%s'."},
        {"NovoCaption", "Título do Relatório"},
        {"NovoPrompt", "Informe o título do relatório:"},
        {"DtIni_Inv", "Data inicial deve ser informada."},
        {"DtFin_Inv", "Data final deve ser informada."},
        {"Data_Me", "Data inicial deve ser menor ou igual a data final."},
        {"SISTEMA", "Sistema"},
        {"Compras/Suprimentos", "Compras/Suprimentos"},
        {"Documentos Fiscais/Financeiro", "Documentos Fiscais/Financeiro"},
        {"Estoque", "Estoque"},
        {"Planejamento Alim. Industrial", "Planejamento Alim. Industrial"},
    };
    for (const auto& [key, text] : texts) EXPECT_EQ(s.msgPadrao->Msg(key), text) << key.toStdString();
    EXPECT_EQ(s.msgPadrao->Messages().size(), 11) << "the screen's list replaces the base's";
}

TEST_F(ScreenDefinition, SystemsTableHoldsTheFourSystemsInOrderUnmarked) {
    TfrmLimpDados& s = Open();
    TClientDataSet& table = *s.cdsSist;
    EXPECT_EQ(s.dtsSist->DataSet(), &table);
    ASSERT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Fields(0), s.cdsSistIDMARCADO);
    EXPECT_EQ(s.cdsSistIDMARCADO->FieldName(), "IDMARCADO");
    EXPECT_EQ(s.cdsSistIDMARCADO->Size(), 1);
    EXPECT_EQ(table.Fields(1), s.cdsSistSISTEMA);
    EXPECT_EQ(s.cdsSistSISTEMA->FieldName(), "SISTEMA");
    EXPECT_EQ(s.cdsSistSISTEMA->Size(), 60);
    EXPECT_EQ(s.cdsSistSISTEMA->DisplayLabel(), "Sistema");
    EXPECT_EQ(table.RecNo(), 4) << "the last row stored stays current";

    QStringList systems;
    for (table.First(); !table.Eof(); table.Next()) {
        systems << s.cdsSistSISTEMA->AsString();
        EXPECT_EQ(s.cdsSistIDMARCADO->AsString(), "");
    }
    EXPECT_EQ(systems, (QStringList{"Compras/Suprimentos", "Documentos Fiscais/Financeiro", "Estoque",
                                    "Planejamento Alim. Industrial"}));
}

TEST_F(ScreenDefinition, DateFieldsNameTheWeekdaysSundayFirst) {
    TfrmLimpDados& s = Open();
    const QStringList names{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};
    EXPECT_EQ(s.depDtIni->NomeSemana(), names);
    EXPECT_EQ(s.depDtFim->NomeSemana(), names);
}

}  // namespace
