#pragma once

#include <QCalendarWidget>
#include <QStringList>

// The date field's calendar: a popup month view, Sunday first, headed by the
// field's own weekday names (their first three letters; the whole name as a
// tooltip), tall enough to show every week of the month.
//
// For screen readers it is "Calendário", its parts named in Portuguese
// ("Mês anterior", "Próximo mês", "Dias do mês") and the weekday labels by
// their whole names.
//
// picked(date) comes once per choice, for a click on a day or Enter; Esc
// closes the calendar choosing nothing.
class TDateCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit TDateCalendar(QWidget* field);

    void SetWeekdayNames(const QStringList& names);
    // Shows the month of `date` with that day chosen, under the field, or
    // above it when the screen has no room below.
    void PopUp(const QDate& date);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void picked(const QDate& date);

private:
    void Pick(const QDate& date);
    void NameParts();

    QWidget* field_;
    QWidget* header_ = nullptr;
};
