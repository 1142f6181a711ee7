#include "StdCtrls.h"

#include <QPainter>

TLabel::TLabel(QWidget* parent) : TControlOf<QLabel>(parent) { setTextFormat(Qt::PlainText); }

void TLabel::SetCaption(const QString& caption) {
    setText(caption);
    if (autoSize_) adjustSize();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_) adjustSize();
}

TGroupBox::TGroupBox(QWidget* parent) : TControlOf<QGroupBox>(parent) {}

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
