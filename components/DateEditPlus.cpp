#include "DateEditPlus.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStyle>

#include "ClassRegistry.h"
#include "DateCalendar.h"
#include "DateKeys.h"
#include "Forms.h"
#include "Funcoes.h"

namespace {

// Blanks show as '_'; text() of a masked QLineEdit drops them, which is why
// Text() reads displayText() instead.
const QString kMask = QStringLiteral("99/99/9999;_");

std::optional<TDateTime> DateOfText(const QString& text) {
    TDateTime date = 0;
    if (!TryStrToDate(text, date)) return std::nullopt;
    return date;
}

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
    button_->setText(QStringLiteral("Calendário"));
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
    if (!date_) return 0;
    return saveTime_ ? *date_ + time_ : *date_;
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
    if (text.isEmpty() || date_) return;
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
    DescribeWeekday();
    if (calendar_) calendar_->SetWeekdayNames(weekdayNames_);
}

void TDateEditPlus::SetButtonBitmapData(const QByteArray& data) {
    button_->setIcon(GlyphIcon(ReadBitmapData(data), 1));
}

// Qt reports a typed separator as a change although the text stays the same;
// only real changes and the user's edits reach the handlers. The flag is
// taken here so that text set by a handler counts as the code's.
void TDateEditPlus::TextChanged() {
    const bool userEdit = std::exchange(userEdit_, false);
    if (displayText() == shownText_ && !userEdit) return;
    shownText_ = displayText();
    date_ = DateOfText(Text());
    UpdateColor();
    DescribeWeekday();
    RaiseEvent(OnChange, this);
    if (date_) RaiseEvent(OnDateChange, this);
}

// A screen reader reads the weekday after the date, as the eye reads it in
// the field beside; without a date the description is the hint again.
void TDateEditPlus::DescribeWeekday() {
    setAccessibleDescription(date_ ? weekdayNames_.value(DayOfWeek(*date_) - 1) : QString());
}

// Only the text colour changes, so Color (the background) and a font colour
// set by the definition survive; that colour comes back when the text stops
// being a date.
void TDateEditPlus::UpdateColor() {
    const bool valid = date_.has_value();
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

// OnKeyDown hears the paste and date keys first, as it hears other keys.
void TDateEditPlus::keyPressEvent(QKeyEvent* event) {
    const DateKey dateKey = isReadOnly() ? DateKey::None : DateKeyOf(*event);
    const bool pastes = !isReadOnly() && event->matches(QKeySequence::Paste);
    if (dateKey == DateKey::None && !pastes) {
        const QScopedValueRollback<bool> typing(userEdit_, TypesIntoField(*event));
        return TControlOf<QLineEdit>::keyPressEvent(event);
    }
    event->accept();
    if (!KeyDownPasses(event)) return;
    if (pastes)
        PasteDate();
    else
        DateKeyPressed(dateKey);
}

// A digit that lands on a place of the mask is an edit even when it is the
// digit that was there; past the last place it types nothing.
bool TDateEditPlus::TypesIntoField(const QKeyEvent& event) const {
    const QString typed = event.text();
    if (typed.size() != 1 || !typed[0].isDigit() || isReadOnly()) return false;
    return hasSelectedText() || cursorPosition() < displayText().size();
}

void TDateEditPlus::DateKeyPressed(DateKey key) {
    if (key == DateKey::Calendar) return OpenCalendar();
    if (key == DateKey::Today) return PutDate(Date());
    if (!date_ && HasDigit()) return;  // a text being typed stays as it is
    if (const std::optional<TDateTime> next = DateAfterStep(key, date_.value_or(Date())))
        PutDate(*next);
}

void TDateEditPlus::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction* paste = PasteAction(*menu)) {
        paste->disconnect(this);
        connect(paste, &QAction::triggered, this, &TDateEditPlus::PasteDate);
    }
    if (periodMenu_) {
        menu->addSeparator();
        menu->addMenu(periodMenu_);
    }
    menu->popup(event->globalPos());
}

void TDateEditPlus::PasteDate() {
    TDateTime date = 0;
    if (!PastedDate(QGuiApplication::clipboard()->text(), date)) return paste();
    PutDate(date);
}

// Selecting all and inserting is one edit of the user's: one OnChange, and
// Ctrl+Z undoes it.
void TDateEditPlus::PutDate(TDateTime date) {
    const QString text = DateToStr(date);
    const QScopedValueRollback<bool> editing(userEdit_, true);
    selectAll();
    insert(text);
}

QCalendarWidget* TDateEditPlus::Calendar() const { return calendar_; }

void TDateEditPlus::OpenCalendar() {
    if (!calendar_) {
        calendar_ = new TDateCalendar(this);
        calendar_->SetWeekdayNames(weekdayNames_);
        connect(calendar_, &TDateCalendar::picked, this, &TDateEditPlus::PickDate);
    }
    calendar_->PopUp(ToQDate(date_ ? *date_ : Date()));
}

void TDateEditPlus::PickDate(const QDate& date) {
    Dispatch([&] { PutDate(FromQDate(date)); });
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
