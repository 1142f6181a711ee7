#include "ButtonFlat.h"

#include <QMouseEvent>

#include "ClassRegistry.h"

TButtonFlat::TButtonFlat(QWidget* parent) : TSpeedButton(parent) {
    SetFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

// Qt delivers the second click of a double click as this event, which a
// button takes for another press; the user meant one.
void TButtonFlat::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

namespace {
// Glyph, NumGlyphs, Flat, OnClick and the rest come from TSpeedButton.
const bool registered = [] {
    RegisterClass<TButtonFlat>("TButtonFlat", "TSpeedButton", true);
    return true;
}();
}  // namespace
