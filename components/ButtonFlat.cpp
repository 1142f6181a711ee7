#include "ButtonFlat.h"

#include <QMouseEvent>
#include <QShortcut>

#include "ClassRegistry.h"

TButtonFlat::TButtonFlat(QWidget* parent) : TSpeedButton(parent) {
    SetFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

// Qt delivers the second click of a double click as this event, which a
// button takes for another press; the user meant one.
void TButtonFlat::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

// Qt leaves a shortcut of a widget that is disabled or hidden, and one of a
// screen of the MDI area that is not the active one, without effect; a held
// key must not run the action again and again.
void TButtonFlat::SetShortCut(const QKeySequence& keys) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    connect(shortcut, &QShortcut::activated, this, &TButtonFlat::Click);
    SetHint(QStringLiteral("%1 (%2)").arg(Hint(), keys.toString(QKeySequence::NativeText)));
}

namespace {
// Glyph, NumGlyphs, Flat, OnClick and the rest come from TSpeedButton.
const bool registered = [] {
    RegisterClass<TButtonFlat>("TButtonFlat", "TSpeedButton", true);
    return true;
}();
}  // namespace
