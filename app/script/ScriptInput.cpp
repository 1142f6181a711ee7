#include "ScriptInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <array>

namespace {

// What a key types on its own; keys not named type nothing.
QString KeyText(Qt::Key key) {
    switch (key) {
        case Qt::Key_Backspace: return QStringLiteral("\b");
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return QStringLiteral("\t");
        case Qt::Key_Return:
        case Qt::Key_Enter: return QStringLiteral("\r");
        case Qt::Key_Escape: return QStringLiteral("\x1b");
        case Qt::Key_Space: return QStringLiteral(" ");
        default: return {};
    }
}

struct ModifierKey {
    Qt::KeyboardModifier modifier;
    Qt::Key key;
};
// In the order they are pressed.
constexpr std::array<ModifierKey, 3> kModifierKeys{{{Qt::ShiftModifier, Qt::Key_Shift},
                                                    {Qt::ControlModifier, Qt::Key_Control},
                                                    {Qt::AltModifier, Qt::Key_Alt}}};

// Sent, not posted: a press offers itself to the shortcuts first (the
// application does that for key presses that no window system gave).
void Send(QWidget* target, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(type, key, modifiers, text);
    QCoreApplication::sendEvent(target, &event);
}

// Press and release of `key` with `text`, between the modifier keys' own.
void Click(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    const QPointer<QWidget> alive(target);
    Qt::KeyboardModifiers held;
    for (const ModifierKey& modifier : kModifierKeys) {
        if (!(modifiers & modifier.modifier)) continue;
        if (!alive) return;
        held |= modifier.modifier;
        Send(target, QEvent::KeyPress, modifier.key, held, {});
    }
    if (!alive) return;
    Send(target, QEvent::KeyPress, key, modifiers, text);
    if (!alive) return;
    Send(target, QEvent::KeyRelease, key, modifiers, text);
    for (auto modifier = kModifierKeys.rbegin(); modifier != kModifierKeys.rend(); ++modifier) {
        if (!(modifiers & modifier->modifier)) continue;
        if (!alive) return;
        held &= ~Qt::KeyboardModifiers(modifier->modifier);
        Send(target, QEvent::KeyRelease, modifier->key, held, {});
    }
}

// The focus a mouse press gives, as the application gives it for a press
// from the window system (a sent press does not get it).
void FocusByClick(QWidget* clicked, QPoint point) {
    for (QWidget* widget = clicked; widget; widget = widget->parentWidget()) {
        const QWidget* proxy = widget;
        while (proxy->focusProxy()) proxy = proxy->focusProxy();
        const bool takesClick = (widget->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus &&
                                (proxy->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus;
        if (widget->isEnabled() && widget->rect().contains(point) && takesClick) {
            widget->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (widget->isWindow() || proxy->hasFocus()) return;
        point += widget->pos();
    }
}

}  // namespace

void PressKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier)) key = Qt::Key_Backtab;
    Click(target, key, modifiers, KeyText(key));
}

void TypeCharacter(QWidget* target, const QString& character, Qt::KeyboardModifiers modifiers) {
    const char16_t code = character.size() == 1 ? character[0].unicode() : 0;
    if (code == u'\t')
        PressKey(target, Qt::Key_Tab, modifiers);
    else if (code >= 0x20 && code < 0x7F)
        Click(target, QChar(code).toUpper().unicode(), modifiers, character);
    else
        Click(target, Qt::Key_unknown, modifiers, character);
}

void TypeCharacters(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        TypeCharacter(target, text.mid(i, length));
        i += length - 1;
    }
}

void ClickCentre(QWidget* target) {
    const QPointer<QWidget> alive(target);
    const QPoint centre = target->rect().center();
    const QPoint global = target->mapToGlobal(centre);
    FocusByClick(target, centre);
    if (!alive) return;
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    if (!alive) return;
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}
