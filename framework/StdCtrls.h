#pragma once

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>

#include "Controls.h"

// A caption. With AutoSize it fits its text in its font, whichever of the
// two is set last; without it keeps its size.
class FRAMEWORK_EXPORT TLabel : public TControlOf<QLabel> {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    void SetAutoSize(bool autoSize);
    void SetTransparent(bool transparent) { setAutoFillBackground(!transparent); }

protected:
    void changeEvent(QEvent* event) override;

private:
    bool autoSize_ = true;
};

// A frame with a caption around other controls, drawn as the definitions'
// positions expect it: an etched line from half the caption's height down,
// the caption on that line 8 pixels from the left, and the children placed
// from the box's top-left corner (Qt's styles draw the caption above the
// frame, whose top line then runs through the first row of controls).
class FRAMEWORK_EXPORT TGroupBox : public TControlOf<QGroupBox> {
    Q_OBJECT
public:
    explicit TGroupBox(QWidget* parent = nullptr);
    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A panel: a plain raised or flat area that holds other controls.
class FRAMEWORK_EXPORT TPanel : public TControlOf<QFrame> {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
    void SetCaption(const QString& caption) { caption_ = caption; update(); }
    // bvNone, bvLowered, bvRaised
    void SetBevelOuter(int bevel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

// A one-line text field. OnChange runs on every change of the text, typed or
// set from code. Disabled, it still shows its text readably, at 4.5 to one
// against its background at least (a field kept disabled shows something to
// read, such as the weekday beside a date).
class FRAMEWORK_EXPORT TEdit : public TControlOf<QLineEdit> {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);
    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    void Clear() { clear(); }
    void SetReadOnly(bool readOnly) { setReadOnly(readOnly); }
    void SetMaxLength(int length) { setMaxLength(length > 0 ? length : 32767); }

    TNotifyEvent OnChange;

protected:
    bool event(QEvent* event) override;

private:
    void KeepDisabledTextReadable();
};

// An option. OnClick runs when it becomes the checked option, by a click,
// the arrow keys or from code, as a person sees it become chosen.
class FRAMEWORK_EXPORT TRadioButton : public TControlOf<QRadioButton> {
    Q_OBJECT
public:
    explicit TRadioButton(QWidget* parent = nullptr);
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }

    TNotifyEvent OnClick;
};

// A drop-down list. csDropDownList lets the user only choose an item;
// csDropDown (the default) also lets him type. OnChange follows the user
// only: it runs when he chooses an item (mouse, keys or wheel) or types in
// the field, never for SetItems, SetItemIndex or SetText from code.
class FRAMEWORK_EXPORT TComboBox : public TControlOf<QComboBox> {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    enum Style { csDropDown, csSimple, csDropDownList };
    void SetStyle(int style);
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    QStringList Items() const;
    void SetItems(const QStringList& items);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }

    TNotifyEvent OnChange;

protected:
    bool event(QEvent* event) override;

private:
    // The typing field of a csDropDown combo box is made when the combo box is
    // first polished (before it is shown) or given a text that is not an
    // item, so that a definition that asks for csDropDownList does not make
    // one only to drop it.
    void ApplyStyle();

    int style_ = csDropDown;
    QPointer<QLineEdit> typing_;  // the typing field whose edits raise OnChange
};
