#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <map>

namespace {

const char* const kAlert = "accessibleAlert";

bool IsContainer(const QWidget* widget) {
    return qobject_cast<const QGroupBox*>(widget) || widget->inherits("TPanel");
}

// A control a label can stand for: one the user works in.
bool TakesFocus(const QWidget* widget) {
    return widget->focusPolicy() != Qt::NoFocus && !qobject_cast<const QLabel*>(widget) &&
           !IsContainer(widget);
}

// The control right of `label` on its row, in its container: the nearest one
// whose middle lies within the label's height.
QWidget* ControlBeside(const QLabel& label, const std::map<QWidget*, QLabel*>& paired) {
    QWidget* nearest = nullptr;
    int distance = 0;
    const QRect at = label.geometry();
    for (QObject* child : label.parentWidget()->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || !TakesFocus(control) || paired.count(control)) continue;
        const QRect rect = control->geometry();
        const int middle = rect.center().y();
        if (middle < at.top() || middle > at.bottom() || rect.left() < at.left()) continue;
        const int gap = rect.left() - at.right();
        if (!nearest || gap < distance) {
            nearest = control;
            distance = gap;
        }
    }
    return nearest;
}

// Labels and the controls they stand for: FocusControl first, then by place.
std::map<QWidget*, QLabel*> PairLabels(QWidget* form) {
    std::map<QWidget*, QLabel*> paired;
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    for (QLabel* label : labels)
        if (label->buddy()) paired.emplace(label->buddy(), label);
    for (QLabel* label : labels) {
        if (label->buddy() || !label->parentWidget()) continue;
        if (QWidget* control = ControlBeside(*label, paired)) {
            label->setBuddy(control);
            paired.emplace(control, label);
        }
    }
    return paired;
}

bool ShowsOnlyAnImage(const QWidget* widget) {
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    return button && button->text().isEmpty();
}

// Dialogs of our own marked as alerts. Qt's own factory, asked first, makes
// every QMessageBox an alert already.
QAccessibleInterface* AlertFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->property(kAlert).toBool()) return nullptr;
    return new QAccessibleWidget(widget, QAccessible::AlertMessage);
}

const bool alertsInstalled = [] {
    QAccessible::installFactory(&AlertFactory);
    return true;
}();

// Tells screen readers that an alert has shown, as QMessageBox does itself.
class AlertOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            QAccessibleEvent alert(watched, QAccessible::Alert);
            QAccessible::updateAccessibility(&alert);
        }
        return false;
    }
};

// A hint without the key it names at its end: "Imprimir (Ctrl+P)" gives
// "Imprimir".
QString WithoutKeyName(const QString& hint) {
    static const QRegularExpression key(QStringLiteral("\\s*\\([^()]*\\)$"));
    QString name = hint;
    name.remove(key);
    return name.isEmpty() ? hint : name;
}

}  // namespace

QString WithoutKeyMark(const QString& caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == '&' && i + 1 < caption.size()) ++i;
        text += caption.at(i);
    }
    return text;
}

void NameControls(QWidget* form) {
    for (const auto& [control, label] : PairLabels(form))
        if (control->accessibleName().isEmpty())
            control->setAccessibleName(WithoutKeyMark(label->text()));
    for (QWidget* control : form->findChildren<QWidget*>()) {
        const QString hint = control->property("Hint").toString();
        if (control->accessibleName().isEmpty() && ShowsOnlyAnImage(control) && !hint.isEmpty())
            control->setAccessibleName(WithoutKeyName(hint));
    }
}

void MarkAsAlert(QWidget* dialog, const QString& text) {
    Q_ASSERT(alertsInstalled);
    dialog->setProperty(kAlert, true);
    dialog->setAccessibleDescription(text);
    // A QMessageBox says it has shown itself.
    if (!qobject_cast<QMessageBox*>(dialog)) dialog->installEventFilter(new AlertOnShow(dialog));
}
