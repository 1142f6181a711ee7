#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "Export.h"

// A definition as read: objects with their properties and children, each
// with the place it was written. It knows nothing of components.

// A property value as written.
struct FRAMEWORK_EXPORT DefinitionValue {
    enum class Kind { Integer, Float, String, Identifier, Set, List, Collection, Binary };

    Kind kind = Kind::Integer;
    qlonglong integer = 0;
    double real = 0;
    QString text;                        // String (as Unicode) or Identifier
    QStringList set;                     // Set: the identifiers between [ ]
    std::vector<DefinitionValue> items;  // List: the values between ( )
    QByteArray binary;                   // Binary: the bytes between { }
    struct Item;                         // Collection: the items between < >
    std::vector<Item> collection;
    int line = 0;
    int column = 0;

    // The kind's name in Portuguese, for messages ("número inteiro", "texto"...).
    QString KindName() const;
};

struct FRAMEWORK_EXPORT DefinitionProperty {
    QString name;  // may be dotted: Font.Style
    DefinitionValue value;
    int line = 0;
    int column = 0;
};

struct DefinitionValue::Item {
    std::vector<DefinitionProperty> properties;
};

struct FRAMEWORK_EXPORT DefinitionObject {
    enum class Kind { Object, Inherited };

    Kind kind = Kind::Object;
    QString name;
    QString className;
    std::vector<DefinitionProperty> properties;
    std::vector<DefinitionObject> children;
    int line = 0;
    int column = 0;
};
