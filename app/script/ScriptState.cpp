#include "ScriptState.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

#include "Controls.h"
#include "Dadosgerrel.h"
#include "DateEditPlus.h"
#include "Forms.h"
#include "HostConfig.h"
#include "ReportValues.h"

namespace {

QString WindowStateName(TWindowState state) {
    return state == wsMinimized ? "minimized" : state == wsMaximized ? "maximized" : "normal";
}

QString ControlText(QWidget* w) {
    if (auto* date = qobject_cast<TDateEditPlus*>(w)) return date->Text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return QString();
}

QJsonObject ControlState(const TForm& form, QWidget* w) {
    QJsonObject control{{"class", form.ComponentClassName(w)},
                        {"text", ControlText(w)},
                        {"enabled", w->isEnabled()},
                        {"visible", w->isVisibleTo(const_cast<TForm*>(&form))}};
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable())
        control["checked"] = button->isChecked();
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QJsonArray items;
        for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
        control["items"] = items;
    }
    return control;
}

QString TypeName(TFieldType type) {
    switch (type) {
        case ftString: return "string";
        case ftInteger: return "integer";
        case ftBoolean: return "boolean";
        case ftFloat: return "float";
        case ftDate: return "date";
        case ftTime: return "time";
        case ftDateTime: return "datetime";
        default: return "unknown";
    }
}

// What the query is bound to, as text.
QJsonValue ParamValue(const TParam& param) {
    const QVariant bound = BoundValue(param);
    if (!bound.isValid()) return QJsonValue::Null;
    return bound.toString();
}

// The script name of the preset in force on the screen, or null.
QJsonValue PresetInForce(TForm* screen) {
    auto* report = qobject_cast<TfrmDadosGerRel*>(screen);
    const int preset = report && report->Period() ? report->Period()->PresetInForce() : -1;
    if (preset < 0) return QJsonValue::Null;
    return QString::fromLatin1(PeriodPresets()[static_cast<size_t>(preset)].name);
}

// Whether the active screen opened with the values of its last closing.
bool ValuesRestored(TForm* screen) {
    auto* report = qobject_cast<TfrmDadosGerRel*>(screen);
    return report && report->ValuesRestored();
}

}  // namespace

QString FocusedComponentName() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        const TForm* form = FormOf(w);
        if (form && !w->objectName().isEmpty() && form->FindComponent(w->objectName()) == w) return w->objectName();
    }
    return QString();
}

QJsonObject StateEvent(QMdiArea* area) {
    QJsonArray screens;
    TForm* active = nullptr;
    for (QMdiSubWindow* window : area->subWindowList()) {
        auto* form = qobject_cast<TForm*>(window->widget());
        if (!form) continue;
        const bool isActive = window == area->activeSubWindow();
        if (isActive) active = form;
        screens.append(QJsonObject{{"caption", form->Caption()},
                                   {"windowState", WindowStateName(form->WindowState())},
                                   {"active", isActive}});
    }
    QJsonObject controls;
    if (active)
        for (QObject* component : active->Components())
            if (auto* w = qobject_cast<QWidget*>(component)) controls[w->objectName()] = ControlState(*active, w);
    const QString focus = FocusedComponentName();
    return QJsonObject{{"event", "state"},
                       {"screens", screens},
                       {"focus", focus.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(focus)},
                       {"cursor", Screen->Cursor()},
                       {"period", PresetInForce(active)},
                       {"restored", ValuesRestored(active)},
                       {"controls", controls},
                       {"sample", HostConfig::Instance().sampleDatabase}};
}

QJsonObject ParamsEvent(const TParams& params) {
    QJsonArray list;
    for (int i = 0; i < params.Count(); ++i)
        list.append(QJsonObject{{"name", params[i].Name()}, {"type", TypeName(params[i].DataType())}, {"value", ParamValue(params[i])}});
    return QJsonObject{{"event", "params"}, {"params", list}};
}
