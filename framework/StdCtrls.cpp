#include "StdCtrls.h"

#include <QPainter>
#include <qdrawutil.h>

TLabel::TLabel(QWidget* parent) : TControlOf<QLabel>(parent) { setTextFormat(Qt::PlainText); }

void TLabel::SetCaption(const QString& caption) {
    setText(caption);
    if (autoSize_) adjustSize();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) adjustSize();
}

void TLabel::changeEvent(QEvent* event) {
    TControlOf<QLabel>::changeEvent(event);
    if (event->type() == QEvent::FontChange && autoSize_) adjustSize();
}

TGroupBox::TGroupBox(QWidget* parent) : TControlOf<QGroupBox>(parent) {}

void TGroupBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QRect frame = rect().adjusted(0, metrics.height() / 2 - 1, 0, 0);
    qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
    if (title().isEmpty()) return;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
    const QRect caption(8, 0, metrics.size(flags, title()).width(), metrics.height());
    painter.fillRect(caption.adjusted(-1, 0, 1, 0), palette().brush(QPalette::Window));
    style()->drawItemText(&painter, caption, flags, palette(), isEnabled(), title(), QPalette::WindowText);
}

TPanel::TPanel(QWidget* parent) : TControlOf<QFrame>(parent) { SetBevelOuter(2); }

void TPanel::SetBevelOuter(int bevel) {
    setFrameShape(bevel == 0 ? QFrame::NoFrame : QFrame::Panel);
    setFrameShadow(bevel == 1 ? QFrame::Sunken : QFrame::Raised);
}

void TPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (caption_.isEmpty()) return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption_);
}

TEdit::TEdit(QWidget* parent) : TControlOf<QLineEdit>(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { RaiseEvent(OnChange, this); });
}

// The palette is settled when the field is first polished, and again each
// time its colours change.
bool TEdit::event(QEvent* event) {
    const bool handled = TControlOf<QLineEdit>::event(event);
    if (event->type() == QEvent::Polish || event->type() == QEvent::PaletteChange) KeepDisabledTextReadable();
    return handled;
}

void TEdit::KeepDisabledTextReadable() {
    QPalette colours = palette();
    const QColor background = colours.color(QPalette::Disabled, QPalette::Base);
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     ReadableOn(colours.color(QPalette::Disabled, QPalette::Text), background, 4.5));
    ApplyPalette(*this, colours);
}

TRadioButton::TRadioButton(QWidget* parent) : TControlOf<QRadioButton>(parent) {
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RaiseEvent(OnClick, this);
    });
}

TComboBox::TComboBox(QWidget* parent) : TControlOf<QComboBox>(parent) {
    connect(this, &QComboBox::activated, this, [this] { RaiseEvent(OnChange, this); });
}

void TComboBox::ApplyStyle() {
    setEditable(style_ != csDropDownList);
    // Becoming editable again makes a new typing field.
    if (!lineEdit() || lineEdit() == typing_) return;
    typing_ = lineEdit();
    connect(typing_, &QLineEdit::textEdited, this, [this] { RaiseEvent(OnChange, this); });
}

void TComboBox::SetStyle(int style) {
    style_ = style;
    if (testAttribute(Qt::WA_WState_Polished)) ApplyStyle();
}

bool TComboBox::event(QEvent* event) {
    if (event->type() == QEvent::Polish) ApplyStyle();
    return TControlOf<QComboBox>::event(event);
}

void TComboBox::SetText(const QString& text) {
    const int index = findText(text);
    if (index >= 0) {
        setCurrentIndex(index);
    } else if (style_ != csDropDownList) {
        ApplyStyle();
        setEditText(text);
    }
}

QStringList TComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i) items << itemText(i);
    return items;
}

void TComboBox::SetItems(const QStringList& items) {
    clear();
    addItems(items);
}
