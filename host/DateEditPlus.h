#pragma once

#include <QStringList>

#include "DateUtils.h"
#include "HostExport.h"
#include "StdCtrls.h"

class QCalendarWidget;

// A date field: a masked entry "dd/mm/yyyy" (the slashes may be typed or
// not) with a button that opens a calendar. The button shows ButtonBitmap,
// or the style's arrow when the field has no image by the time it is shown.
//
// - A new field is empty; Text() is empty until a digit is typed, and then
//   the text as shown, with '_' for the places still empty ("12/03/20__").
// - OnChange runs on every change of the text (typed, pasted, deleted, set
//   from code or the calendar); right after it, OnDateChange runs whenever the
//   text is a valid date, also when it is the same date as before. Both
//   follow every change, the user's and the code's.
// - GetDate() gives the date without time (SaveTime false), or 0 when the
//   text is empty or not a valid date. With SaveTime true it adds the time of
//   day of the last SetDate. SetDate(0) empties the field, so that
//   SetDate(GetDate()) keeps an empty field empty.
// - A paste (Ctrl+V, Shift+Ins or the context menu) that holds a date puts
//   that date in whole, as dd/mm/yyyy: the pasted text's first word (so a
//   time of day after it is left out), the text without its spaces, or an ISO
//   date (yyyy-mm-dd). Any other paste goes through the mask as Qt does it.
// - CheckValidDate() returns when the text is empty or a valid date;
//   otherwise it shows "'<text>' não é uma data válida." as an error, puts
//   the focus back in the field and ends the action (EAbort).
// - ValidDateColor is the text colour while the text is a valid date; Color
//   is the background.
// - NomeSemana is the list of weekday names, Sunday first, that the field
//   shows above its calendar's columns (their first three letters; the whole
//   name as a tooltip). Names missing from the list keep the defaults.
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
    QCalendarWidget* Calendar() const { return calendar_; }

    TNotifyEvent OnChange;
    TNotifyEvent OnDateChange;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PasteDate();
    void TextChanged();
    void UpdateColor();
    bool HasDigit() const;
    void CreateCalendar();
    void UpdateCalendarHeader();
    void PickDate(const QDate& date);

    bool saveTime_ = false;
    TDateTime time_ = 0;  // the time of day of the last SetDate
    TColor validDateColor_ = 0xFF0000;
    QString shownText_;  // the text the handlers last heard of
    bool showingValid_ = false;
    QColor normalTextColor_;
    QStringList weekdayNames_;
    QCalendarWidget* calendar_ = nullptr;
    QWidget* calendarHeader_ = nullptr;
    QAction* button_ = nullptr;
};
