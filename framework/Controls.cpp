#include "Controls.h"

#include <QApplication>


namespace {
int restoringFocus = 0;
int quietFocus = 0;
}  // namespace

FocusRestoreScope::FocusRestoreScope() { ++restoringFocus; }
FocusRestoreScope::~FocusRestoreScope() { --restoringFocus; }
bool FocusRestoreScope::Active() { return restoringFocus > 0; }

FocusQuietScope::FocusQuietScope() { ++quietFocus; }
FocusQuietScope::~FocusQuietScope() { --quietFocus; }
bool FocusQuietScope::Active() { return quietFocus > 0; }

Word VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return static_cast<Word>(key);
    switch (key) {
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Delete: return VK_DELETE;
        default: return 0;
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    return shift;
}

namespace {
// The screen that holds a widget, by class name: controls sit below the
// forms, which hold them.
const QWidget* ScreenOf(const QWidget* widget) {
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget())
        if (w->inherits("TForm")) return w;
    return nullptr;
}
}  // namespace

bool FocusMovedWithinForm(const QWidget* leaving) {
    if (FocusRestoreScope::Active() || FocusQuietScope::Active()) return false;
    const QWidget* now = QApplication::focusWidget();
    if (!now || now == leaving) return false;
    const QWidget* form = ScreenOf(leaving);
    return form && (now == form || form->isAncestorOf(now));
}

namespace {
void UpdateToolTip(QWidget* control) {
    const QVariant show = control->property("ShowHint");
    control->setToolTip(!show.isValid() || show.toBool() ? control->property("Hint").toString() : QString());
}
}  // namespace

void SetControlHint(QWidget* control, const QString& hint) {
    control->setProperty("Hint", hint);
    UpdateToolTip(control);
}

void SetControlShowHint(QWidget* control, bool show) {
    control->setProperty("ShowHint", show);
    UpdateToolTip(control);
}
