#pragma once

#include <QString>
#include <functional>

#include "DefinitionReader.h"
#include "Export.h"

// Where the properties being applied stand, for messages.
struct FRAMEWORK_EXPORT PropertyPlace {
    QString source;
    QString path;
    QString className;  // named for an unknown property; may be empty
};

// Sets one property of the target. Gives false when the target has no
// property of that name (one skipped on purpose counts as known); throws
// Exception for a value it refuses.
using PropertySetter = std::function<bool(const QString& name, const DefinitionValue& value)>;

// The one loop that applies an object's properties from a definition, for
// screens and report definitions alike, in the order written. Fails with an
// EDefinitionError under `place`: "propriedade desconhecida 'Colour'" (then
// " da classe 'TEdit'" when the place names a class) and "propriedade 'Title'
// repetida" at the property; "<name>: <reason>" at a refused value. An
// EDefinitionError from `set` passes unchanged.
FRAMEWORK_EXPORT void ApplyProperties(const DefinitionObject& object, const PropertyPlace& place,
                                      const PropertySetter& set);
