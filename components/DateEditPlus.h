#pragma once

#include <QStringList>
#include <optional>

#include "DateUtils.h"
#include "HostExport.h"
#include "StdCtrls.h"

class QCalendarWidget;
class QMenu;
class TDateCalendar;
enum class DateKey;

// A date field: a masked entry "dd/mm/yyyy" (the slashes may be typed or
// not) with a button that opens a calendar. The button shows ButtonBitmap,
// or the style's arrow when the field has no image by the time it is shown.
//
// - A new field is empty; Text() is empty until a digit is typed, and then
//   the text as shown, with '_' for the places still empty ("12/03/20__").
// - OnChange runs on every change of the text (typed, pasted, deleted, set
//   from code or the calendar) and on every edit of the user's that leaves
//   the text as it was (a digit typed over itself, the same date pasted, put
//   by a key or taken from the calendar); right after it, OnDateChange runs
//   whenever the text is a valid date, also when it is the same date as
//   before. A typed slash only moves past the separator and raises nothing;
//   so does code that sets the text the field already shows.
// - GetDate() gives the date without time (SaveTime false), or 0 when the
//   text is empty or not a valid date. With SaveTime true it adds the time of
//   day of the last SetDate. SetDate(0) empties the field, so that
//   SetDate(GetDate()) keeps an empty field empty. The text is read as a date
//   once per change; GetDate and the checks use that reading.
// - A paste (Ctrl+V, Shift+Ins or the context menu) that holds a date puts
//   that date in whole, as dd/mm/yyyy: the pasted text's first word (so a
//   time of day after it is left out), the text without its spaces, or an ISO
//   date (yyyy-mm-dd). Any other paste goes through the mask as Qt does it.
// - Date keys, for a person who types dates all day: "+" or Up the next day,
//   "-" or Down the day before, PgUp the same day a month later, PgDn a month
//   earlier (the month's last day when it has fewer days), "H" today; F4 or
//   Alt+Down opens the calendar. On an empty field the steps start from
//   today; on a text that is no date (half typed, or a day that does not
//   exist) they change nothing, so nothing typed is lost ("H" still puts
//   today). A step that would leave the years 1 to 9999 does nothing. Each
//   date put is one edit, undone by Ctrl+Z, raising OnChange then
//   OnDateChange as typing does. OnKeyDown hears first each of these keys
//   that has a virtual key code (Up, Down, H, F4, Ctrl+V), as it hears others.
// - The calendar opens on the field's date, or on today when the field holds
//   none; a click on a day or Enter puts that date as the keys do, Esc
//   closes it.
// - CheckValidDate() returns when the text is empty or a valid date;
//   otherwise it shows "'<text>' não é uma data válida." as an error, puts
//   the focus back in the field and ends the action (EAbort).
// - ValidDateColor is the text colour while the text is a valid date; Color
//   is the background.
// - NomeSemana is the list of weekday names, Sunday first, that the field
//   shows above its calendar's columns (their first three letters; the whole
//   name as a tooltip). Names missing from the list keep the defaults.
// - For screen readers the field's description is the weekday of its date
//   from NomeSemana ("Segunda"), read after its name and text; without a
//   date it has none of its own, and its hint is read instead.
class HOST_EXPORT TDateEditPlus : public TControlOf<QLineEdit> {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    void Clear();
    TDateTime GetDate() const;
    void SetDate(TDateTime date);
    void CheckValidDate();

    void SetValidDateColor(TColor color);
    void SetSaveTime(bool saveTime) { saveTime_ = saveTime; }
    const QStringList& NomeSemana() const { return weekdayNames_; }
    void SetNomeSemana(const QStringList& names);
    void SetButtonBitmapData(const QByteArray& data);
    // Opens the calendar under the field, as the button does.
    void OpenCalendar();
    // The calendar, once it has been opened; nullptr before.
    QCalendarWidget* Calendar() const;
    // Puts the date as the date keys do: one edit of the user's, undone by
    // Ctrl+Z, raising OnChange then OnDateChange.
    void PutDate(TDateTime date);
    // A submenu that the field's context menu ends with (a screen's period
    // presets); nullptr for none. The field does not own it.
    void SetPeriodMenu(QMenu* menu) { periodMenu_ = menu; }

    TNotifyEvent OnChange;
    TNotifyEvent OnDateChange;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool TypesIntoField(const QKeyEvent& event) const;
    void DateKeyPressed(DateKey key);
    void PasteDate();
    void TextChanged();
    void UpdateColor();
    void DescribeWeekday();
    bool HasDigit() const;
    void PickDate(const QDate& date);

    bool saveTime_ = false;
    TDateTime time_ = 0;  // the time of day of the last SetDate
    std::optional<TDateTime> date_;  // the date the text holds, read once per change
    bool userEdit_ = false;  // a person's edit is under way: it counts even when the text stays
    TColor validDateColor_ = 0xFF0000;
    QString shownText_;  // the text the handlers last heard of
    bool showingValid_ = false;
    QColor normalTextColor_;
    QStringList weekdayNames_;
    TDateCalendar* calendar_ = nullptr;
    QAction* button_ = nullptr;
    QMenu* periodMenu_ = nullptr;
};
