#include "Dadosgerrel.h"

#include <QDir>

#include "Confirma.h"
#include "Funcoes.h"
#include "HostConfig.h"
#include "ReportFolders.h"
#include "ScreenMemory.h"
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

void TfrmDadosGerRel::SetPeriodFields(TDateEditPlus* first, TDateEditPlus* last) {
    delete period_;
    period_ = new TPeriodFields(first, last, this);
}

// The report list is read when the screen is created; nothing to redo on
// each activation.
void TfrmDadosGerRel::FormActivate(TObject* /*Sender*/) {}

// A value that cannot be kept never keeps the screen open.
void TfrmDadosGerRel::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
    Action = caFree;
    if (!memory_) return;
    try {
        memory_->Save();
    } catch (const Exception& error) {
        MensErro(QStringLiteral("Os valores desta tela não foram guardados para a próxima vez. ") +
                     error.Message(),
                 false);
    }
}

void TfrmDadosGerRel::RememberValues(TGroupBox* options, QString* list) {
    const HostConfig& config = HostConfig::Instance();
    const QString file = RememberedValuesFile(config.screenStateDir, lblCodTela->Caption());
    if (!config.rememberScreens || file.isEmpty()) return;
    delete memory_;
    // In the top row, between the report buttons and the report's code.
    const int left = sbtSalvarComo->geometry().right() + 8;
    const QRect code = lblCodRel->geometry();
    const ScreenParts parts{this, panMenu, QRect(left, code.top(), code.left() - 8 - left, code.height()),
                            lblCodRel->font(), cbbReportNames, &reports_, period_, options, list};
    memory_ = new TScreenMemory(parts, file);
    memory_->Restore();
}

bool TfrmDadosGerRel::ValuesRestored() const { return memory_ && memory_->Restored(); }

// One report at a time: a press that reaches a report button while a report
// runs (a click, its shortcut, a double click) does nothing.
void TfrmDadosGerRel::sbtPreviewClick(TObject* /*Sender*/) {
    if (!rpddPadrao->Running()) rpddPadrao->Preview(ChosenReport());
}

void TfrmDadosGerRel::sbtPrintClick(TObject* /*Sender*/) {
    if (!rpddPadrao->Running()) rpddPadrao->Print(ChosenReport());
}

void TfrmDadosGerRel::sbtSalvarComoClick(TObject* /*Sender*/) {
    if (rpddPadrao->Running()) return;
    const ReportDefinition& chosen = ChosenReport();
    QString title = chosen.title;
    if (!InputQuery(msgPadrao->Msg("NovoCaption"), msgPadrao->Msg("NovoPrompt"), title)) Abort();
    title = title.trimmed();
    if (title.isEmpty()) MensErro(msgMensagens->Msg("Titulo_Vazio"), true);
    const QString replacing = FileToReplace(chosen, title);
    const ReportDefinition copy = rpddPadrao->SaveAs(chosen, title, replacing);
    LoadReportNames(copy.file);
}

// The file of the report of that title, read anew since another host may
// have saved one meanwhile, once the user has agreed to replace it; the
// chosen report when it is one of several of that title. Empty when the
// title is new.
QString TfrmDadosGerRel::FileToReplace(const ReportDefinition& chosen, const QString& title) {
    QString file;
    for (const ReportDefinition& report :
         ReportFolders::Of(HostConfig::Instance()).Find(lblCodRel->Caption()))
        if (report.title.trimmed().compare(title, Qt::CaseInsensitive) == 0 &&
            (file.isEmpty() || report.file == chosen.file))
            file = report.file;
    if (file.isEmpty()) return file;
    if (!Confirma(msgMensagens->Msg("Substituir_Caption"),
                  Format(msgMensagens->Msg("Substituir_Pergunta"),
                         {title, QDir::toNativeSeparators(file)})))
        Abort();
    return file;
}

void TfrmDadosGerRel::LoadReportNames(const QString& selectFile) {
    const QString dir = HostConfig::Instance().reportsDir;
    QStringList problems;
    reports_ = ReportFolders::Of(HostConfig::Instance()).Find(lblCodRel->Caption(), &problems);
    cbbReportNames->SetItems(ReportListNames(reports_));
    int selected = 0;
    for (int i = 0; i < reports_.size(); ++i)
        if (reports_[i].file == selectFile) selected = i;
    cbbReportNames->SetItemIndex(selected);
    // A file that cannot be read would otherwise just be missing from the
    // list; a missing folder is what "Arq_Rel_Err" says.
    if (!problems.isEmpty())
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
