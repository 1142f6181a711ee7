#include "DateKeys.h"

DateKey DateKeyOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() == Qt::Key_F4 && held == Qt::NoModifier) return DateKey::Calendar;
    if (event.key() == Qt::Key_Down && held == Qt::AltModifier) return DateKey::Calendar;
    if (held != Qt::NoModifier && held != Qt::ShiftModifier) return DateKey::None;
    switch (event.key()) {
        case Qt::Key_Plus: return DateKey::NextDay;
        case Qt::Key_Minus: return DateKey::PreviousDay;
        case Qt::Key_H: return DateKey::Today;
        default: break;
    }
    if (held != Qt::NoModifier) return DateKey::None;
    switch (event.key()) {
        case Qt::Key_Up: return DateKey::NextDay;
        case Qt::Key_Down: return DateKey::PreviousDay;
        case Qt::Key_PageUp: return DateKey::NextMonth;
        case Qt::Key_PageDown: return DateKey::PreviousMonth;
        default: return DateKey::None;
    }
}

std::optional<TDateTime> DateAfterStep(DateKey key, TDateTime from) {
    const QDate day = ToQDate(from);
    QDate to;
    switch (key) {
        case DateKey::NextDay: to = day.addDays(1); break;
        case DateKey::PreviousDay: to = day.addDays(-1); break;
        case DateKey::NextMonth: to = day.addMonths(1); break;   // 31/01 gives the month's last day
        case DateKey::PreviousMonth: to = day.addMonths(-1); break;
        default: return std::nullopt;
    }
    if (!to.isValid() || to.year() < 1 || to.year() > 9999) return std::nullopt;
    return FromQDate(to);
}
