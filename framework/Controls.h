#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

#include "Events.h"
#include "Export.h"
#include "Graphics.h"

// The virtual key code of a key event (VK_F9 for F9), 0 when it has none.
FRAMEWORK_EXPORT Word VirtualKeyOf(const QKeyEvent& event);
FRAMEWORK_EXPORT TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);
// True when the focus has just gone from `leaving` to another control of the
// same form: the user moved within the screen, not to a dialog or another window.
FRAMEWORK_EXPORT bool FocusMovedWithinForm(const QWidget* leaving);

// A control's hint is its tooltip while ShowHint is on (the default).
FRAMEWORK_EXPORT void SetControlHint(QWidget* control, const QString& hint);
FRAMEWORK_EXPORT void SetControlShowHint(QWidget* control, bool show);

// While one exists, focus changes raise no OnExit: the framework is putting
// the focus back on a control that reported bad input.
class FRAMEWORK_EXPORT FocusRestoreScope {
public:
    FocusRestoreScope();
    ~FocusRestoreScope();
    FocusRestoreScope(const FocusRestoreScope&) = delete;
    FocusRestoreScope& operator=(const FocusRestoreScope&) = delete;
    static bool Active();
};

// While one exists, the focus moves only for the window system's sake (a
// screen being maximised, restored or closed): no control raises OnEnter or
// OnExit, since the user has not moved.
class FRAMEWORK_EXPORT FocusQuietScope {
public:
    FocusQuietScope();
    ~FocusQuietScope();
    FocusQuietScope(const FocusQuietScope&) = delete;
    FocusQuietScope& operator=(const FocusQuietScope&) = delete;
    static bool Active();
};

// What every control offers on top of its Qt widget.
//
// Events: OnExit runs when the focus goes from this control to another of
// the same form (not when a dialog or another window takes it, nor when a
// focus is being given back by the framework itself); OnEnter when it gets
// the focus (not when its window comes back to the front). Neither runs
// while the window itself changes state or closes. OnKeyDown runs for each
// key pressed while the control has the focus; a handler that sets the key
// to 0 keeps it from the control.
template <class W>
class TControlOf : public W {
public:
    explicit TControlOf(QWidget* parent) : W(parent) {}

    QString Name() const { return this->objectName(); }
    bool Enabled() const { return this->isEnabled(); }
    void SetEnabled(bool enabled) { this->setEnabled(enabled); }
    bool Visible() const { return this->isVisibleTo(this->parentWidget()); }
    void SetVisible(bool visible) { this->setVisible(visible); }
    void SetFocus() { this->setFocus(Qt::OtherFocusReason); }
    bool Focused() const { return this->hasFocus(); }
    void Refresh() { this->repaint(); }

    int Left() const { return this->x(); }
    int Top() const { return this->y(); }
    int Width() const { return this->width(); }
    int Height() const { return this->height(); }
    void SetLeft(int left) { this->move(left, this->y()); }
    void SetTop(int top) { this->move(this->x(), top); }
    void SetWidth(int width) { this->resize(width, this->height()); }
    void SetHeight(int height) { this->resize(this->width(), height); }

    int TabOrder() const { return this->property("TabOrder").toInt(); }
    void SetTabOrder(int order) { this->setProperty("TabOrder", order); }
    void SetTabStop(bool stop) {
        this->setFocusPolicy(stop ? (this->focusPolicy() | Qt::TabFocus)
                                  : Qt::FocusPolicy(this->focusPolicy() & ~Qt::TabFocus));
    }

    QString Hint() const { return this->property("Hint").toString(); }
    void SetHint(const QString& hint) { SetControlHint(this, hint); }
    void SetShowHint(bool show) { SetControlShowHint(this, show); }

    void SetColor(TColor color) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Base, ToQColor(color));
        palette.setColor(QPalette::Window, ToQColor(color));
        palette.setColor(QPalette::Button, ToQColor(color));
        this->setPalette(palette);
    }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;

protected:
    // Raises OnKeyDown for the key; false when a handler took the key (set it
    // to 0), so that the control must not act on it.
    bool KeyDownPasses(QKeyEvent* event) {
        Word key = VirtualKeyOf(*event);
        if (!OnKeyDown || key == 0) return true;
        Dispatch([&] { OnKeyDown(this, key, ShiftStateOf(event->modifiers())); });
        return key != 0;
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!KeyDownPasses(event)) {
            event->accept();
            return;
        }
        W::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        W::focusInEvent(event);
        if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason &&
            !FocusQuietScope::Active())
            RaiseEvent(OnEnter, this);
    }
    void focusOutEvent(QFocusEvent* event) override {
        W::focusOutEvent(event);
        if (FocusMovedWithinForm(this)) RaiseEvent(OnExit, this);
    }

};
