// A test screen on the base report screen: one user name that goes to the
// report as P_USUARIO, required before printing.
#include "Dadosgerrel.h"
#include "Funcoes.h"
#include "ReportLib.h"
#include "StdCtrls.h"

class TfrmTeste : public TfrmDadosGerRel {
public:
    using inherited = TfrmDadosGerRel;
    static constexpr const char* ClassName = "TfrmTeste";
    static constexpr const char* Definition = ":/tstmodule/TesteModule.dfm";
    static void Publish(TPublisher<TfrmTeste>& p) {
        p.Field("edtUsuario", &TfrmTeste::edtUsuario);
        p.Handler("rpddPadraoBeforeGetQueryParams", &TfrmTeste::rpddPadraoBeforeGetQueryParams);
    }
    TEdit* edtUsuario = nullptr;
    // Overrides the base's handler without publishing it: the base's binding
    // of the print button must still reach it.
    void sbtPrintClick(TObject* Sender) override {
        if (edtUsuario->Text().isEmpty()) MensErro(QString::fromUtf8("Usuário deve ser informado."), true);
        inherited::sbtPrintClick(Sender);
    }
    void rpddPadraoBeforeGetQueryParams(TParams& Params, bool&) {
        if (ExistParam(Params, "P_USUARIO")) Params.ParamByName("P_USUARIO").SetAsString(edtUsuario->Text());
    }
};

namespace {
TfrmTeste* frmTeste = nullptr;
}

extern "C" __attribute__((visibility("default"))) void IniProc() {
    if (!frmTeste) {
        Application->CreateForm(frmTeste);
        QObject::connect(frmTeste, &QObject::destroyed, [] { frmTeste = nullptr; });
    }
    frmTeste->Show();
}
