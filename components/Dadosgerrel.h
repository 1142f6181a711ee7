#pragma once

#include <QList>

#include "ButtonFlat.h"
#include "Forms.h"
#include "HostComponents.h"
#include "HostExport.h"
#include "Messages.h"
#include "PeriodFields.h"
#include "ReportDefinition.h"
#include "ReportDesigner.h"
#include "StdCtrls.h"

class TScreenMemory;

// The base of the report-parameter screens: the choice of report, the
// preview, print and save-as buttons, and the report component.
//
// Report definitions are the files of the host's reports folder whose code is
// the caption of lblCodRel; cbbReportNames lists their titles. When there is
// none, the catalogue's "Arq_Rel_Err" says so (code, folder) and the screen
// stays open. Files of the folder that cannot be read are named, each with
// its reason, under msgMensagens' "Rel_Ilegiveis"; reports that share a
// title are listed with their file names. Save as asks for a new title
// ("NovoCaption", "NovoPrompt") and copies the chosen definition under it
// into a new file; a title that a report of the code already has is used
// only once the user confirms replacing that report ("Substituir_Pergunta"),
// whose file is then overwritten. The popup menus stay empty: every
// report starts from one of the three buttons, which a derived screen guards
// with its own checks. Each button has a key, named in its hint, that presses
// it: Ctrl+F2 previews (as office programs preview a print), Ctrl+P prints,
// Ctrl+Shift+S saves as.
//
// A screen whose report runs over a period declares its two date fields once
// (SetPeriodFields, in its FormCreate); the screen then offers the period
// presets and the keys that move the period (TPeriodFields). One that
// declares its values as remembered (RememberValues) opens, when the host
// is so configured, with those of its last closing (TScreenMemory).
class HOST_EXPORT TfrmDadosGerRel : public TForm {
    Q_OBJECT
public:
    using inherited = TForm;
    static constexpr const char* ClassName = "TfrmDadosGerRel";
    static constexpr const char* Definition = ":/host/Dadosgerrel.dfm";
    static void Publish(TPublisher<TfrmDadosGerRel>& p);

    TLabel* lblCodTela = nullptr;
    TGroupBox* grbDadosRel = nullptr;
    TPanel* panRelat = nullptr;
    TLabel* lblRelat = nullptr;
    TComboBox* cbbReportNames = nullptr;
    TPanel* panMenu = nullptr;
    TLabel* lblCodRel = nullptr;
    TButtonFlat* sbtPreview = nullptr;
    TButtonFlat* sbtPrint = nullptr;
    TButtonFlat* sbtSalvarComo = nullptr;
    TMessages* msgPadrao = nullptr;
    TReportDesignerDialog* rpddPadrao = nullptr;
    TPopupMenu* ppmEditReport = nullptr;
    TPopupMenu* ppmSalvarRelatorio = nullptr;
    TSaveDialog* svdSaveReport = nullptr;
    TMessages* msgMensagens = nullptr;
    TNetConnection* netQRDesign = nullptr;

    // The handlers this screen's definition binds. A derived screen that
    // needs one of them overrides it (the compiler checks the `override`)
    // and calls this one where it must; it does not publish it again.
    virtual void FormCreate(TObject* Sender);
    virtual void FormActivate(TObject* Sender);
    virtual void FormClose(TObject* Sender, TCloseAction& Action);
    virtual void sbtPreviewClick(TObject* Sender);
    virtual void sbtPrintClick(TObject* Sender);
    virtual void sbtSalvarComoClick(TObject* Sender);

    // Declares the screen's period: its first and last date fields.
    void SetPeriodFields(TDateEditPlus* first, TDateEditPlus* last);
    // The period's presets and keys; nullptr on a screen without a period.
    TPeriodFields* Period() const { return period_; }

    // Keeps the screen's values between openings when the host remembers
    // screens ([screens] remember = true; never in a scripted run): the
    // report chosen, the period (the preset's name while one is in force,
    // else both dates), the option checked among the radio buttons of
    // `options` and `list`, a text the screen keeps for that option (either
    // may be nullptr). Called once, at the end of the derived screen's
    // FormCreate: the values as they are then are the screen's defaults,
    // and those of its last closing are put back through the same events as
    // a person's input (TScreenMemory tells how, and what a file that cannot
    // be used shows). One file a screen code, in HostConfig's
    // screenStateDir; written when the screen closes.
    void RememberValues(TGroupBox* options, QString* list);
    // The screen opened with the values of its last closing, and they have
    // not been put back to the defaults since.
    bool ValuesRestored() const;
    // The reports of the list, in its order.
    const QList<ReportDefinition>& Reports() const { return reports_; }

private:
    void BindShortCuts();
    void LoadReportNames(const QString& selectFile = QString());
    QString FileToReplace(const ReportDefinition& chosen, const QString& title);
    const ReportDefinition& ChosenReport() const;

    QList<ReportDefinition> reports_;
    TPeriodFields* period_ = nullptr;
    TScreenMemory* memory_ = nullptr;  // nullptr: nothing remembered
};
