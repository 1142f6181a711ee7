#pragma once

#include <QObject>
#include <QString>

#include "Export.h"

// Every component is a QObject: its name is the object name, its owner the
// QObject parent, and an owner frees what it owns.
using TObject = QObject;

// Base of the non-visual components (datasets, data sources, catalogues,
// dialogs). Visual controls derive from their Qt widgets instead.
class FRAMEWORK_EXPORT TComponent : public QObject {
    Q_OBJECT
public:
    explicit TComponent(QObject* owner = nullptr);
    QString Name() const { return objectName(); }
    QObject* Owner() const { return parent(); }
};

// The name of a component, visual or not.
inline QString ComponentName(const QObject* component) {
    return component ? component->objectName() : QString();
}
