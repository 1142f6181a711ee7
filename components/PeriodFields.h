#pragma once

#include <QObject>
#include <QString>

#include "HostExport.h"
#include "PeriodPresets.h"

class QGroupBox;
class QMenu;
class TDateEditPlus;

// A report screen's period: its first and last date fields, with the
// period presets and the keys that move the whole period.
//
// - In either field "P" opens the list of presets under the field (arrows
//   and Enter, or the mouse, choose; Esc closes it); the field's context
//   menu ends with the same list ("Períodos"). Choosing one puts its dates
//   in both fields as the date keys put a date (OnChange, OnDateChange, one
//   undo step a field), computed from Date() and the configured first day
//   of the week.
// - While both fields hold the dates a preset put, the title of the group
//   box around the first field names the preset ("Data da Limpeza – Mês
//   passado"); any change of either date puts the title back.
// - Alt+Left and Alt+Right in either field move the period back and forward
//   by its own length (MovedPeriod); on an empty or invalid date, or a
//   period that ends before it starts, they do nothing.
// - Each field's hint names these keys after any hint of its own. The
//   fields' OnKeyDown does not hear them: the period takes them first.
class HOST_EXPORT TPeriodFields : public QObject {
    Q_OBJECT
public:
    TPeriodFields(TDateEditPlus* first, TDateEditPlus* last, QObject* parent);

    // Puts the preset's dates (index into PeriodPresets()); false, changing
    // nothing, when they would fall outside the years 1 to 9999.
    bool Choose(int preset);
    // Moves the period back (-1) or forward (+1).
    void Move(int direction);
    // The preset in force, or -1.
    int PresetInForce() const { return preset_; }
    // The list of presets, as "P" opens it.
    QMenu* Menu() const { return menu_; }
    // The period's first and last date fields.
    TDateEditPlus* First() const { return first_; }
    TDateEditPlus* Last() const { return last_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void Chosen(int preset);
    void Edited();
    void ShowPreset();

    TDateEditPlus* first_;
    TDateEditPlus* last_;
    QGroupBox* box_ = nullptr;
    QString boxTitle_;
    QMenu* menu_ = nullptr;
    TDateEditPlus* menuField_ = nullptr;  // the field whose list is open
    int preset_ = -1;
    DatePeriod presetDates_;
};
