// A person at the keyboard: keys go where the focus is, and the focus must
// be visible.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWidget>

inline void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    ASSERT_NE(QApplication::focusWidget(), nullptr) << "no control has the focus";
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

inline void TypeKeys(const char* text) {
    ASSERT_NE(QApplication::focusWidget(), nullptr) << "no control has the focus";
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// True when `control` looks different with the focus than without it; the
// focus goes back where it was.
inline bool FocusShows(QWidget* control) {
    const QPointer<QWidget> before = QApplication::focusWidget();
    control->clearFocus();
    QApplication::processEvents();
    const QImage without = control->grab().toImage();
    control->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    const QImage with = control->grab().toImage();
    if (before) before->setFocus(Qt::OtherFocusReason);
    return with != without;
}
