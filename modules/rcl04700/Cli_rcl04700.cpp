#include "Cli_rcl04700.h"

#include "Funcoes.h"
#include "PesquisaLista.h"
#include "ReportLib.h"

TfrmLimpDados* frmLimpDados = nullptr;
bool boStCriado = false;

namespace {
// The unit's initialization, once per load of the module.
const struct Initialization {
    Initialization() { boStCriado = false; }
} initialization;
}  // namespace

extern "C" void IniProc() { CriaLimpDados(); }

void CriaLimpDados() {
    if (!boStCriado) {
        Screen->SetCursor(crHourGlass);
        try {
            Application->CreateForm(frmLimpDados);
        } catch (...) {
            Screen->SetCursor(crDefault);  // no busy cursor over a working host
            throw;
        }
        boStCriado = true;
    }
    frmLimpDados->Show();
    frmLimpDados->SetWindowState(wsNormal);
    Screen->SetCursor(crDefault);
}

void TfrmLimpDados::Publish(TPublisher<TfrmLimpDados>& p) {
    p.Field("GroupBox2", &TfrmLimpDados::GroupBox2)
        .Field("Label1", &TfrmLimpDados::Label1)
        .Field("Label2", &TfrmLimpDados::Label2)
        .Field("depDtIni", &TfrmLimpDados::depDtIni)
        .Field("depDtFim", &TfrmLimpDados::depDtFim)
        .Field("edtSemIni", &TfrmLimpDados::edtSemIni)
        .Field("edtSemFim", &TfrmLimpDados::edtSemFim)
        .Field("grbSistema", &TfrmLimpDados::grbSistema)
        .Field("rbtListaSist", &TfrmLimpDados::rbtListaSist)
        .Field("rbtTodosSist", &TfrmLimpDados::rbtTodosSist)
        .Field("dtsSist", &TfrmLimpDados::dtsSist)
        .Field("sbtSist", &TfrmLimpDados::sbtSist)
        .Field("cdsSist", &TfrmLimpDados::cdsSist)
        .Field("cdsSistSISTEMA", &TfrmLimpDados::cdsSistSISTEMA)
        .Field("cdsSistIDMARCADO", &TfrmLimpDados::cdsSistIDMARCADO);
    // FormClose, FormActivate, FormCreate and the three report buttons'
    // handlers override the base screen's, which binds them.
    p.Handler("rpddPadraoBeforeGetQueryParams", &TfrmLimpDados::rpddPadraoBeforeGetQueryParams)
        .Handler("depDtIniExit", &TfrmLimpDados::depDtIniExit)
        .Handler("depDtFimExit", &TfrmLimpDados::depDtFimExit)
        .Handler("depDtIniDateChange", &TfrmLimpDados::depDtIniDateChange)
        .Handler("depDtFimDateChange", &TfrmLimpDados::depDtFimDateChange)
        .Handler("depDtIniChange", &TfrmLimpDados::depDtIniChange)
        .Handler("depDtFimChange", &TfrmLimpDados::depDtFimChange)
        .Handler("rbtTodosSistClick", &TfrmLimpDados::rbtTodosSistClick)
        .Handler("rbtListaSistClick", &TfrmLimpDados::rbtListaSistClick)
        .Handler("rbtListaSistKeyDown", &TfrmLimpDados::rbtListaSistKeyDown)
        .Handler("sbtSistClick", &TfrmLimpDados::sbtSistClick);
}

void TfrmLimpDados::FormClose(TObject* Sender, TCloseAction& Action) {
    inherited::FormClose(Sender, Action);
    boStCriado = false;
}

void TfrmLimpDados::FormActivate(TObject* Sender) {
    inherited::FormActivate(Sender);
    Refresh();
    if (boPrimeiraVez) {
        boPrimeiraVez = false;
        edtSemIni->SetText(NomeSemana(depDtIni->GetDate()));
        edtSemFim->SetText(NomeSemana(depDtFim->GetDate()));
    }
}

void TfrmLimpDados::FormCreate(TObject* Sender) {
    inherited::FormCreate(Sender);
    SetPeriodFields(depDtIni, depDtFim);
    boPrimeiraVez = true;

    cdsSist->CreateDataSet();
    cdsSist->Insert();
    cdsSistSISTEMA->SetAsString(msgPadrao->Msg("Compras/Suprimentos"));
    cdsSist->Post();
    for (const char* system : {"Documentos Fiscais/Financeiro", "Estoque", "Planejamento Alim. Industrial"}) {
        cdsSist->Append();
        cdsSistSISTEMA->SetAsString(msgPadrao->Msg(system));
        cdsSist->Post();
    }
    RememberValues(grbSistema, &stListaSist);
}

void TfrmLimpDados::sbtPreviewClick(TObject* Sender) {
    Consiste();
    inherited::sbtPreviewClick(Sender);
}

void TfrmLimpDados::sbtPrintClick(TObject* Sender) {
    Consiste();
    inherited::sbtPrintClick(Sender);
}

void TfrmLimpDados::rpddPadraoBeforeGetQueryParams(TParams& Params, bool& /*Flag*/) {
    if (ExistParam(Params, "P_DATAINI")) Params.ParamByName("P_DATAINI").SetValue(VarFromDateTime(depDtIni->GetDate()));
    if (ExistParam(Params, "P_DATAFIM")) Params.ParamByName("P_DATAFIM").SetValue(VarFromDateTime(depDtFim->GetDate()));
    if (rbtListaSist->Checked()) {
        if (ExistParam(Params, "P_SISTEMA")) Params.ParamByName("P_SISTEMA").SetAsString(stListaSist);
        if (ExistParam(Params, "P_TSISTEMA")) Params.ParamByName("P_TSISTEMA").SetValue(Variant(QString()));
    } else {
        if (ExistParam(Params, "P_SISTEMA")) Params.ParamByName("P_SISTEMA").SetAsString(QString());
        if (ExistParam(Params, "P_TSISTEMA")) Params.ParamByName("P_TSISTEMA").SetValue(Variant(QStringLiteral("T")));
    }
}

void TfrmLimpDados::sbtSalvarComoClick(TObject* Sender) {
    Consiste();
    inherited::sbtSalvarComoClick(Sender);
}

void TfrmLimpDados::depDtIniExit(TObject* /*Sender*/) { depDtIni->CheckValidDate(); }

void TfrmLimpDados::depDtFimExit(TObject* /*Sender*/) { depDtFim->CheckValidDate(); }

void TfrmLimpDados::depDtIniDateChange(TObject* /*Sender*/) { edtSemIni->SetText(NomeSemana(depDtIni->GetDate())); }

void TfrmLimpDados::depDtFimDateChange(TObject* /*Sender*/) { edtSemFim->SetText(NomeSemana(depDtFim->GetDate())); }

void TfrmLimpDados::depDtIniChange(TObject* /*Sender*/) { edtSemIni->Clear(); }

void TfrmLimpDados::depDtFimChange(TObject* /*Sender*/) { edtSemFim->Clear(); }

void TfrmLimpDados::rbtTodosSistClick(TObject* /*Sender*/) { sbtSist->SetEnabled(false); }

void TfrmLimpDados::rbtListaSistClick(TObject* /*Sender*/) {
    stListaSist.clear();
    sbtSist->SetEnabled(true);
}

void TfrmLimpDados::rbtListaSistKeyDown(TObject* /*Sender*/, Word& Key, TShiftState /*Shift*/) {
    if (Key == VK_F9) sbtSistClick(sbtSist);
}

void TfrmLimpDados::sbtSistClick(TObject* /*Sender*/) {
    PesquisaLista(dtsSist, "SISTEMA", msgPadrao->Msg("SISTEMA"), false, stListaSist);
}

void TfrmLimpDados::Consiste() {
    depDtIni->CheckValidDate();
    depDtFim->CheckValidDate();
    if (depDtIni->Text().isEmpty()) {
        depDtIni->SetFocus();
        MensErro(msgPadrao->Msg("DtIni_Inv"), true);
    }
    if (depDtFim->Text().isEmpty()) {
        depDtFim->SetFocus();
        MensErro(msgPadrao->Msg("DtFin_Inv"), true);
    }
    if (!(depDtFim->GetDate() >= depDtIni->GetDate())) {
        depDtIni->SetFocus();
        MensErro(msgPadrao->Msg("Data_Me"), true);
    }
}
