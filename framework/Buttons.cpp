#include "Buttons.h"

TSpeedButton::TSpeedButton(QWidget* parent) : TControlOf<QToolButton>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this, [this] { RaiseEvent(OnClick, this); });
}

void TSpeedButton::SetCaption(const QString& caption) {
    setText(caption);
    setToolButtonStyle(glyph_.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::SetGlyphData(const QByteArray& data) { SetGlyph(ReadBitmapData(data)); }

void TSpeedButton::SetGlyph(const QImage& strip) {
    glyph_ = strip;
    UpdateIcon();
}

void TSpeedButton::SetNumGlyphs(int count) {
    numGlyphs_ = count < 1 ? 1 : count;
    UpdateIcon();
}

void TSpeedButton::UpdateIcon() {
    if (glyph_.isNull()) return;
    setIcon(GlyphIcon(glyph_, numGlyphs_));
    setIconSize(QSize(glyph_.width() / numGlyphs_, glyph_.height()));
}
