#pragma once

// The data cleanup report screen ("Relatório de Limpeza de Dados", screen
// RCL04700, report RCL047) and the module's entry point.

#include "ButtonFlat.h"
#include "ClientDataSet.h"
#include "Dadosgerrel.h"
#include "DateEditPlus.h"
#include "StdCtrls.h"

#define RCL_EXPORT __attribute__((visibility("default")))

class RCL_EXPORT TfrmLimpDados : public TfrmDadosGerRel {
public:
    using inherited = TfrmDadosGerRel;
    static constexpr const char* ClassName = "TfrmLimpDados";
    static constexpr const char* Definition = ":/rcl04700/Cli_rcl04700.dfm";
    static void Publish(TPublisher<TfrmLimpDados>& p);

    TGroupBox* GroupBox2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TDateEditPlus* depDtIni = nullptr;
    TDateEditPlus* depDtFim = nullptr;
    TEdit* edtSemIni = nullptr;
    TEdit* edtSemFim = nullptr;
    TGroupBox* grbSistema = nullptr;
    TRadioButton* rbtListaSist = nullptr;
    TRadioButton* rbtTodosSist = nullptr;
    TDataSource* dtsSist = nullptr;
    TButtonFlat* sbtSist = nullptr;
    TClientDataSet* cdsSist = nullptr;
    TStringField* cdsSistSISTEMA = nullptr;
    TStringField* cdsSistIDMARCADO = nullptr;
    bool boPrimeiraVez = false;  // the first activation has not happened yet
    QString stListaSist;         // the systems chosen in the last lookup

    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void FormActivate(TObject* Sender) override;
    void FormCreate(TObject* Sender) override;
    void sbtPreviewClick(TObject* Sender) override;
    void sbtPrintClick(TObject* Sender) override;
    void rpddPadraoBeforeGetQueryParams(TParams& Params, bool& Flag);
    void sbtSalvarComoClick(TObject* Sender) override;
    void depDtIniExit(TObject* Sender);
    void depDtFimExit(TObject* Sender);
    void depDtIniDateChange(TObject* Sender);
    void depDtFimDateChange(TObject* Sender);
    void depDtIniChange(TObject* Sender);
    void depDtFimChange(TObject* Sender);
    void rbtTodosSistClick(TObject* Sender);
    void rbtListaSistClick(TObject* Sender);
    void rbtListaSistKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void sbtSistClick(TObject* Sender);

    // Checks the period; ends the action with a message when it is not right.
    void Consiste();
};

// The screen, while boStCriado is true; afterwards it refers to the released
// screen and must not be used until the next creation.
extern RCL_EXPORT TfrmLimpDados* frmLimpDados;
extern RCL_EXPORT bool boStCriado;

// Creates the screen unless it exists, then shows and restores it.
RCL_EXPORT void CriaLimpDados();

// The module's entry point for the host.
extern "C" RCL_EXPORT void IniProc();
