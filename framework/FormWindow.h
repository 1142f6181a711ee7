#pragma once

#include <QMdiSubWindow>
#include <QPointer>

class TForm;

// The MDI window that holds a screen. Whatever changes its state (its title
// bar buttons, its window menu, the screen's WindowState), the focus stays on
// the control that had it and no control runs OnEnter or OnExit: Qt hides the
// window while it changes its size, which hands the focus to the next control
// and back. A screen of fixed size keeps that size while its window is
// normal, so only resizing is off; maximised, it fills the MDI area.
class TFormWindow : public QMdiSubWindow {
public:
    TFormWindow(TForm* form, bool fixedSize);

    // Frees the screen's size in a minimised or maximised window, fixes it
    // in a normal one.
    void FitToState();

protected:
    void changeEvent(QEvent* event) override;

private:
    QPointer<TForm> form_;  // a screen freed on its own leaves its window empty
    bool fixedSize_;
};
