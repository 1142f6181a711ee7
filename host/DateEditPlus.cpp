#include "DateEditPlus.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "ClassRegistry.h"
#include "Forms.h"
#include "Funcoes.h"

namespace {

// Blanks show as '_'; text() of a masked QLineEdit drops them, which is why
// Text() reads displayText() instead.
const QString kMask = QStringLiteral("99/99/9999;_");

QStringList DefaultWeekdayNames() {
    QStringList names;
    const TDateTime sunday = EncodeDate(2024, 3, 3);
    for (int day = 0; day < 7; ++day) names << NomeSemana(sunday + day);
    return names;
}

// Qt's mask would take the digits of a pasted "2012-11-10" as the valid but
// different date 20/12/1110, and those of "10 / 03 / 2025" as "10/__/0320";
// so a paste is first read as a date where it holds one.
bool PastedDate(const QString& pasted, TDateTime& date) {
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    static const QRegularExpression iso(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})(?:T.*)?$"));
    const QString text = pasted.trimmed();
    const QString firstWord = text.section(spaces, 0, 0);
    if (TryStrToDate(firstWord, date) || TryStrToDate(QString(text).remove(spaces), date))
        return true;
    const QRegularExpressionMatch match = iso.match(firstWord);
    return match.hasMatch() && TryEncodeDate(match.captured(1).toInt(), match.captured(2).toInt(),
                                             match.captured(3).toInt(), date);
}

// The paste entry of QLineEdit's standard menu, known by its caption as Qt
// writes (and translates) it: the entries carry no names.
QAction* PasteAction(const QMenu& menu) {
    const QString caption = QLineEdit::tr("&Paste");
    for (QAction* action : menu.actions())
        if (action->text().startsWith(caption)) return action;
    return nullptr;
}

}  // namespace

TDateEditPlus::TDateEditPlus(QWidget* parent)
    : TControlOf<QLineEdit>(parent), weekdayNames_(DefaultWeekdayNames()) {
    setInputMask(kMask);
    shownText_ = displayText();
    button_ = addAction(QIcon(), QLineEdit::TrailingPosition);
    button_->setToolTip(QStringLiteral("Calendário"));
    connect(button_, &QAction::triggered, this, &TDateEditPlus::OpenCalendar);
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
}

bool TDateEditPlus::HasDigit() const {
    for (const QChar c : displayText())
        if (c.isDigit()) return true;
    return false;
}

QString TDateEditPlus::Text() const { return HasDigit() ? displayText() : QString(); }

void TDateEditPlus::SetText(const QString& text) { setText(text); }

void TDateEditPlus::Clear() { clear(); }

TDateTime TDateEditPlus::GetDate() const {
    TDateTime date = 0;
    if (!TryStrToDate(Text(), date)) return 0;
    return saveTime_ ? date + time_ : date;
}

void TDateEditPlus::SetDate(TDateTime date) {
    if (date == 0) {
        time_ = 0;
        clear();
        return;
    }
    const QString text = DateToStr(date);  // throws for a value without a day
    time_ = date - DateOf(date);
    setText(text);
}

void TDateEditPlus::CheckValidDate() {
    const QString text = Text();
    TDateTime date = 0;
    if (text.isEmpty() || TryStrToDate(text, date)) return;
    Application->ShowMessage(mtError, QStringLiteral("'%1' não é uma data válida.").arg(text));
    {
        // The field the user went to must not check itself now, or two
        // invalid fields would hand the focus back and forth for ever.
        FocusRestoreScope restoring;
        setFocus(Qt::OtherFocusReason);
    }
    Abort();
}

void TDateEditPlus::SetValidDateColor(TColor color) {
    validDateColor_ = color;
    UpdateColor();
}

void TDateEditPlus::SetNomeSemana(const QStringList& names) {
    QStringList merged = DefaultWeekdayNames();
    for (int day = 0; day < 7 && day < names.size(); ++day) merged[day] = names.at(day);
    weekdayNames_ = merged;
    UpdateCalendarHeader();
}

void TDateEditPlus::SetButtonBitmapData(const QByteArray& data) {
    button_->setIcon(GlyphIcon(ReadBitmapData(data), 1));
}

// Qt reports a typed separator as a change although the text stays the same;
// only real changes reach the handlers.
void TDateEditPlus::TextChanged() {
    if (displayText() == shownText_) return;
    shownText_ = displayText();
    UpdateColor();
    RaiseEvent(OnChange, this);
    TDateTime date = 0;
    if (TryStrToDate(Text(), date)) RaiseEvent(OnDateChange, this);
}

// Only the text colour changes, so Color (the background) and a font colour
// set by the definition survive; that colour comes back when the text stops
// being a date.
void TDateEditPlus::UpdateColor() {
    TDateTime date = 0;
    const bool valid = TryStrToDate(Text(), date);
    if (!valid && !showingValid_) return;
    QPalette colours = palette();
    if (valid && !showingValid_) normalTextColor_ = colours.color(QPalette::Text);
    colours.setColor(QPalette::Text, valid ? ToQColor(validDateColor_) : normalTextColor_);
    setPalette(colours);
    showingValid_ = valid;
}

// The style's arrow is made only for a field left without an image until it
// is shown: making it reads and decodes image files, and definitions give
// every field its own image.
bool TDateEditPlus::event(QEvent* event) {
    if (event->type() == QEvent::Polish && button_->icon().isNull())
        button_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    return TControlOf<QLineEdit>::event(event);
}

// In an empty field typing starts at the day, wherever the click landed.
void TDateEditPlus::focusInEvent(QFocusEvent* event) {
    TControlOf<QLineEdit>::focusInEvent(event);
    if (!HasDigit()) setCursorPosition(0);
}

void TDateEditPlus::mousePressEvent(QMouseEvent* event) {
    TControlOf<QLineEdit>::mousePressEvent(event);
    if (!HasDigit()) setCursorPosition(0);
}

// OnKeyDown still hears the paste key, as it hears every other key.
void TDateEditPlus::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::Paste) || isReadOnly())
        return TControlOf<QLineEdit>::keyPressEvent(event);
    Word key = VirtualKeyOf(*event);
    if (OnKeyDown && key != 0)
        Dispatch([&] { OnKeyDown(this, key, ShiftStateOf(event->modifiers())); });
    if (key != 0) PasteDate();
    event->accept();
}

void TDateEditPlus::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction* paste = PasteAction(*menu)) {
        paste->disconnect(this);
        connect(paste, &QAction::triggered, this, &TDateEditPlus::PasteDate);
    }
    menu->popup(event->globalPos());
}

// Selecting all and inserting is one edit: one OnChange, and Ctrl+Z undoes it.
void TDateEditPlus::PasteDate() {
    TDateTime date = 0;
    if (!PastedDate(QGuiApplication::clipboard()->text(), date)) return paste();
    selectAll();
    insert(DateToStr(date));
}

void TDateEditPlus::OpenCalendar() {
    if (!calendar_) CreateCalendar();
    TDateTime date = 0;
    calendar_->setSelectedDate(TryStrToDate(Text(), date) ? ToQDate(date) : QDate::currentDate());
    QPoint where = mapToGlobal(rect().bottomLeft());
    if (const QScreen* area = screen()) {
        const QRect available = area->availableGeometry();
        const QSize size = calendar_->sizeHint();
        if (where.y() + size.height() > available.bottom())
            where.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        where.setX(qBound(available.left(), where.x(),
                          qMax(available.left(), available.right() - size.width())));
    }
    calendar_->move(where);
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

// The calendar's own day names follow the locale; ours come from
// NomeSemana, in a row of labels set between its navigation bar and its days.
void TDateEditPlus::CreateCalendar() {
    calendar_ = new QCalendarWidget(this);
    calendar_->setWindowFlags(Qt::Popup);
    calendar_->setObjectName(QStringLiteral("calendario"));
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setGridVisible(true);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    if (auto* layout = qobject_cast<QVBoxLayout*>(calendar_->layout())) {
        calendar_->setHorizontalHeaderFormat(QCalendarWidget::NoHorizontalHeader);
        calendarHeader_ = new QWidget(calendar_);
        auto* row = new QHBoxLayout(calendarHeader_);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        for (int day = 0; day < 7; ++day) {
            auto* label = new QLabel(calendarHeader_);
            label->setObjectName(QStringLiteral("diaSemana%1").arg(day));
            label->setAlignment(Qt::AlignCenter);
            row->addWidget(label, 1);
        }
        layout->insertWidget(1, calendarHeader_);
        UpdateCalendarHeader();
    }
    connect(calendar_, &QCalendarWidget::clicked, this, &TDateEditPlus::PickDate);
    connect(calendar_, &QCalendarWidget::activated, this, &TDateEditPlus::PickDate);
}

void TDateEditPlus::UpdateCalendarHeader() {
    if (!calendarHeader_) return;
    for (int day = 0; day < 7; ++day) {
        auto* label = calendarHeader_->findChild<QLabel*>(QStringLiteral("diaSemana%1").arg(day));
        label->setText(weekdayNames_.at(day).left(3));
        label->setToolTip(weekdayNames_.at(day));
    }
}

// A double click reports the date twice (clicked, then activated); only the
// first, while the calendar is still open, counts.
void TDateEditPlus::PickDate(const QDate& date) {
    if (!calendar_->isVisible()) return;
    calendar_->hide();
    Dispatch([&] { setText(DateToStr(FromQDate(date))); });
    activateWindow();
    setFocus(Qt::PopupFocusReason);
}

namespace {

const bool registered = [] {
    using T = TDateEditPlus;
    RegisterClass<T>("TDateEditPlus", "TControl", true)
        .Prop("ValidDateColor",
              [](T& e, const DefinitionValue& v) { e.SetValidDateColor(ColorValue(v)); })
        .Bool("SaveTime", &T::SetSaveTime)
        .Strings("NomeSemana.Strings", &T::SetNomeSemana)
        .Prop("ButtonBitmap.Data",
              [](T& e, const DefinitionValue& v) { e.SetButtonBitmapData(BinaryValue(v)); })
        .Str("Text", &T::SetText)
        .Event("OnChange", &T::OnChange)
        .Event("OnDateChange", &T::OnDateChange)
        .Event("OnEnter", &T::OnEnter)
        .Event("OnExit", &T::OnExit)
        .Event("OnKeyDown", &T::OnKeyDown);
    return true;
}();

}  // namespace
