#include "Dadosgerrel.h"

#include <QDir>

#include "Funcoes.h"
#include "HostConfig.h"
#include "SysUtils.h"

void TfrmDadosGerRel::Publish(TPublisher<TfrmDadosGerRel>& p) {
    p.Field("lblCodTela", &TfrmDadosGerRel::lblCodTela)
        .Field("grbDadosRel", &TfrmDadosGerRel::grbDadosRel)
        .Field("panRelat", &TfrmDadosGerRel::panRelat)
        .Field("lblRelat", &TfrmDadosGerRel::lblRelat)
        .Field("cbbReportNames", &TfrmDadosGerRel::cbbReportNames)
        .Field("panMenu", &TfrmDadosGerRel::panMenu)
        .Field("lblCodRel", &TfrmDadosGerRel::lblCodRel)
        .Field("sbtPreview", &TfrmDadosGerRel::sbtPreview)
        .Field("sbtPrint", &TfrmDadosGerRel::sbtPrint)
        .Field("sbtSalvarComo", &TfrmDadosGerRel::sbtSalvarComo)
        .Field("msgPadrao", &TfrmDadosGerRel::msgPadrao)
        .Field("rpddPadrao", &TfrmDadosGerRel::rpddPadrao)
        .Field("ppmEditReport", &TfrmDadosGerRel::ppmEditReport)
        .Field("ppmSalvarRelatorio", &TfrmDadosGerRel::ppmSalvarRelatorio)
        .Field("svdSaveReport", &TfrmDadosGerRel::svdSaveReport)
        .Field("msgMensagens", &TfrmDadosGerRel::msgMensagens)
        .Field("netQRDesign", &TfrmDadosGerRel::netQRDesign);
    p.Handler("FormCreate", &TfrmDadosGerRel::FormCreate)
        .Handler("FormActivate", &TfrmDadosGerRel::FormActivate)
        .Handler("FormClose", &TfrmDadosGerRel::FormClose)
        .Handler("sbtPreviewClick", &TfrmDadosGerRel::sbtPreviewClick)
        .Handler("sbtPrintClick", &TfrmDadosGerRel::sbtPrintClick)
        .Handler("sbtSalvarComoClick", &TfrmDadosGerRel::sbtSalvarComoClick);
}

void TfrmDadosGerRel::FormCreate(TObject* /*Sender*/) {
    BindShortCuts();
    LoadReportNames();
}

// The keys press the buttons, so a derived screen's checks run first and a
// disabled button does nothing.
void TfrmDadosGerRel::BindShortCuts() {
    sbtPreview->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    sbtPrint->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_P));
    sbtSalvarComo->SetShortCut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
}

// The report list is read when the screen is created; nothing to redo on
// each activation.
void TfrmDadosGerRel::FormActivate(TObject* /*Sender*/) {}

void TfrmDadosGerRel::FormClose(TObject* /*Sender*/, TCloseAction& Action) { Action = caFree; }

void TfrmDadosGerRel::sbtPreviewClick(TObject* /*Sender*/) { rpddPadrao->Preview(ChosenReport()); }

void TfrmDadosGerRel::sbtPrintClick(TObject* /*Sender*/) { rpddPadrao->Print(ChosenReport()); }

void TfrmDadosGerRel::sbtSalvarComoClick(TObject* /*Sender*/) {
    const ReportDefinition& chosen = ChosenReport();
    QString title = chosen.title;
    if (!InputQuery(msgPadrao->Msg("NovoCaption"), msgPadrao->Msg("NovoPrompt"), title)) Abort();
    if (title.trimmed().isEmpty()) MensErro(msgMensagens->Msg("Titulo_Vazio"), true);
    const ReportDefinition copy = rpddPadrao->SaveAs(chosen, title.trimmed());
    LoadReportNames(copy.title);
}

void TfrmDadosGerRel::LoadReportNames(const QString& select) {
    const QString dir = HostConfig::Instance().reportsDir;
    QStringList problems;
    reports_ = FindReports(dir, lblCodRel->Caption(), &problems);
    QStringList titles;
    for (const ReportDefinition& report : reports_) titles << report.title;
    cbbReportNames->SetItems(titles);
    cbbReportNames->SetItemIndex(select.isEmpty() ? 0 : static_cast<int>(std::max<qsizetype>(0, titles.indexOf(select))));
    // A file that cannot be read would otherwise just be missing from the
    // list; a missing folder is what "Arq_Rel_Err" says.
    if (!problems.isEmpty() && QDir(dir).exists())
        MensErro(msgMensagens->Msg("Rel_Ilegiveis") + u'\n' + problems.join(u'\n'), false);
    if (reports_.isEmpty())
        MensErro(Format(msgPadrao->Msg("Arq_Rel_Err"), {lblCodRel->Caption(), QDir::toNativeSeparators(dir)}), false);
}

const ReportDefinition& TfrmDadosGerRel::ChosenReport() const {
    const int index = cbbReportNames->ItemIndex();
    if (index < 0 || index >= reports_.size())
        MensErro(Format(msgPadrao->Msg("Arq_Rel_Err"),
                        {lblCodRel->Caption(), QDir::toNativeSeparators(HostConfig::Instance().reportsDir)}),
                 true);
    return reports_[index];
}
