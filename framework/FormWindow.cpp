#include "FormWindow.h"

#include <QApplication>
#include <QWindowStateChangeEvent>
#include <QPointer>

#include "Controls.h"
#include "Forms.h"

TFormWindow::TFormWindow(TForm* form, bool fixedSize) : form_(form), fixedSize_(fixedSize) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWidget(form);
}

namespace {
// Minimised, maximised or normal changed, not just being the active window
// (nor Qt's own note of a state already set).
bool SizeStateChanged(QEvent* event, Qt::WindowStates now) {
    if (event->type() != QEvent::WindowStateChange) return false;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const Qt::WindowStates sized = Qt::WindowMinimized | Qt::WindowMaximized;
    return !change->isOverride() && ((change->oldState() ^ now) & sized) != 0;
}
}  // namespace

void TFormWindow::changeEvent(QEvent* event) {
    if (!form_ || !SizeStateChanged(event, windowState())) {
        QMdiSubWindow::changeEvent(event);
        return;
    }
    QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused && !form_->isAncestorOf(focused)) focused = nullptr;
    const FocusQuietScope quiet;
    // The size is freed before Qt fits the window to a minimised or maximised
    // state, and fixed again once it is back to normal.
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    if (!normal) FitToState();
    QMdiSubWindow::changeEvent(event);
    if (normal) FitToState();
    if (focused && focused->isVisible() && !focused->hasFocus())
        focused->setFocus(Qt::OtherFocusReason);
}

void TFormWindow::FitToState() {
    if (form_) form_->UpdateFixedSize();
    if (!fixedSize_) return;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(sizeHint());
    }
}
