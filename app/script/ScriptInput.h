#pragma once

#include <QString>
#include <Qt>

class QWidget;

// The scripted runs' keyboard and mouse. Each action is delivered to the
// widget given (not to whichever has the focus) as the events a keyboard or
// a mouse gives, sent through the application: a key press first offers
// itself to the shortcuts of menus, toolbars and QShortcut, which take it
// before the widget as they take a real key (the release still reaches the
// widget). A widget that goes away while a key is pressed receives nothing
// more.

// One key: the modifier keys pressed in turn (shift, ctrl, alt), the key
// pressed and released, the modifiers released in the opposite order. Keys
// that type something carry their text (Backspace, Tab, Enter, Escape,
// Space); Tab with shift is Backtab, as a keyboard gives it.
void PressKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {});

// One character as a key press: printable ASCII with its key code (a letter
// in either case on its letter's key), a tab as the Tab key, any other
// character (accented letters, symbols, a surrogate pair, control
// characters) with no key code and the character as its text, which a
// control character types nothing with.
void TypeCharacter(QWidget* target, const QString& character, Qt::KeyboardModifiers modifiers = {});

// The text character by character, a surrogate pair as one character.
void TypeCharacters(QWidget* target, const QString& text);

// A left click in the middle of the widget: press and release. The press
// gives the focus as a person's click does: to the first enabled widget from
// the one clicked up to its window that takes the focus by click, unless one
// on the way holds it already.
void ClickCentre(QWidget* target);
