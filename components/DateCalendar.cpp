#include "DateCalendar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QString DayLabelName(int day) { return QStringLiteral("diaSemana%1").arg(day); }
}  // namespace

// The calendar's own day names follow the locale; ours go in a row of labels
// set between its navigation bar and its days.
TDateCalendar::TDateCalendar(QWidget* field) : QCalendarWidget(field), field_(field) {
    setWindowFlags(Qt::Popup);
    setObjectName(QStringLiteral("calendario"));
    setFirstDayOfWeek(Qt::Sunday);
    setGridVisible(true);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    if (auto* layout = qobject_cast<QVBoxLayout*>(this->layout())) {
        setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
        header_ = new QWidget(this);
        auto* row = new QHBoxLayout(header_);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        for (int day = 0; day < 7; ++day) {
            auto* label = new QLabel(header_);
            label->setObjectName(DayLabelName(day));
            label->setAlignment(Qt::AlignCenter);
            row->addWidget(label, 1);
        }
        layout->insertWidget(1, header_);
    }
    NameParts();
    connect(this, &QCalendarWidget::clicked, this, &TDateCalendar::Pick);
    connect(this, &QCalendarWidget::activated, this, &TDateCalendar::Pick);
}

void TDateCalendar::SetWeekdayNames(const QStringList& names) {
    if (!header_) return;
    for (int day = 0; day < 7 && day < names.size(); ++day) {
        auto* label = header_->findChild<QLabel*>(DayLabelName(day));
        label->setText(names.at(day).left(3));
        label->setToolTip(names.at(day));
        label->setAccessibleName(names.at(day));
    }
}

// Qt names the calendar's parts in the locale's words, or not at all; a
// screen reader reads ours. The parts are found by the names Qt gives them.
void TDateCalendar::NameParts() {
    setAccessibleName(QStringLiteral("Calendário"));
    setAccessibleDescription(QStringLiteral("Enter escolhe o dia, Esc fecha"));
    const std::pair<const char*, const char*> parts[] = {
        {"qt_calendar_prevmonth", "Mês anterior"}, {"qt_calendar_nextmonth", "Próximo mês"},
        {"qt_calendar_monthbutton", "Mês"},        {"qt_calendar_yearbutton", "Ano"},
        {"qt_calendar_yearedit", "Ano"},           {"qt_calendar_calendarview", "Dias do mês"}};
    for (const auto& [objectName, name] : parts)
        if (auto* part = findChild<QWidget*>(QLatin1String(objectName)))
            part->setAccessibleName(QString::fromUtf8(name));
}

// QCalendarWidget sizes itself for its own rows only; the row of names would
// otherwise take the height of the sixth week, and with it days such as
// 31/03/2024 that only that week shows.
QSize TDateCalendar::minimumSizeHint() const {
    QSize size = QCalendarWidget::minimumSizeHint();
    if (header_) size.rheight() += header_->sizeHint().height();
    return size;
}

QSize TDateCalendar::sizeHint() const { return minimumSizeHint(); }

void TDateCalendar::PopUp(const QDate& date) {
    setSelectedDate(date);
    const QSize size = sizeHint();
    resize(size);
    QPoint where = field_->mapToGlobal(field_->rect().bottomLeft());
    if (const QScreen* area = field_->screen()) {
        const QRect available = area->availableGeometry();
        if (where.y() + size.height() > available.bottom())
            where.setY(field_->mapToGlobal(QPoint(0, 0)).y() - size.height());
        where.setX(qBound(available.left(), where.x(),
                          qMax(available.left(), available.right() - size.width())));
    }
    move(where);
    show();
    setFocus(Qt::PopupFocusReason);
}

// A double click reports the date twice (clicked, then activated); only the
// first, while the calendar is still open, counts.
void TDateCalendar::Pick(const QDate& date) {
    if (!isVisible()) return;
    hide();
    emit picked(date);
}
