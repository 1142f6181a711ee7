#include "ButtonFlat.h"

#include "ClassRegistry.h"

TButtonFlat::TButtonFlat(QWidget* parent) : TSpeedButton(parent) {
    SetFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

namespace {
// Glyph, NumGlyphs, Flat, OnClick and the rest come from TSpeedButton.
const bool registered = [] {
    RegisterClass<TButtonFlat>("TButtonFlat", "TSpeedButton", true);
    return true;
}();
}  // namespace
