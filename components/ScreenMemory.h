#pragma once

#include <QObject>
#include <QString>

#include "HostExport.h"
#include "RememberedValues.h"

#include <QFont>
#include <QList>
#include <QRect>

#include "ReportDefinition.h"

class QAction;
class QLabel;
class QMenu;
class QWidget;
class TComboBox;
class TGroupBox;
class TPeriodFields;

// The parts of a report screen that its memory reads, sets and shows in.
struct ScreenParts {
    QWidget* screen = nullptr;  // takes the key and the context menu
    QWidget* topRow = nullptr;  // shows "Valores restaurados" at labelPlace
    QRect labelPlace;
    QFont labelFont;
    TComboBox* reportNames = nullptr;
    const QList<ReportDefinition>* reports = nullptr;  // in reportNames' order
    TPeriodFields* period = nullptr;                   // may be nullptr
    TGroupBox* options = nullptr;                      // may be nullptr
    QString* list = nullptr;                           // may be nullptr
};

// A report screen's values kept between openings (see
// TfrmDadosGerRel::RememberValues): the report chosen, the period, the
// option checked in one group and the list the screen keeps for it.
//
// - Made at the end of the screen's creation, it takes the values as they
//   are then for the screen's defaults and puts back those of the file
//   through the same events as a person's input: the report chosen in the
//   list (OnChange), the preset chosen again from today or the dates put as
//   the date keys put them (OnChange, OnDateChange), the option checked
//   (OnClick), then the list. "Valores restaurados" then shows in the
//   screen's top row, after its buttons.
// - A file that cannot be used is said in a message naming the cause, and
//   the screen keeps its defaults; nothing of it is applied.
// - Ctrl+Shift+R, or "Restaurar padrão" in the screen's context menu,
//   removes the file and puts the defaults back the same way.
// - Save, on closing, writes the values; a screen closed with its defaults
//   removes the file instead, so that only a choice of the user's is kept.
class HOST_EXPORT TScreenMemory : public QObject {
    Q_OBJECT
public:
    TScreenMemory(const ScreenParts& parts, const QString& file);

    // Puts back the file's values, or says why they cannot be.
    void Restore();
    // Throws Exception naming the file and the cause.
    void Save();
    // "Restaurar padrão".
    void RestoreDefaults();
    // The screen shows values of the file (until they are put back to the
    // defaults).
    bool Restored() const { return restored_; }

private:
    RememberedValues Current() const;
    QString Unusable(const RememberedValues& values) const;
    void Apply(const RememberedValues& values);
    void ShowRestored(bool restored);
    void AddRestoreAction();

    ScreenParts parts_;
    QWidget& screen_;
    TGroupBox* options_;
    QString* list_;
    QString file_;
    RememberedValues defaults_;
    QLabel* label_ = nullptr;
    QMenu* menu_ = nullptr;  // the screen's context menu
    bool restored_ = false;
};
