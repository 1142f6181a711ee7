#include "PropertyApplier.h"

namespace {

[[noreturn]] void Fail(const PropertyPlace& place, int line, int column, const QString& what) {
    throw EDefinitionError(place.source, line, column, place.path, what);
}

// Set twice, a property would silently keep its last value.
void RefuseRepeated(const DefinitionObject& object, size_t index, const PropertyPlace& place) {
    const DefinitionProperty& property = object.properties[index];
    for (size_t i = 0; i < index; ++i) {
        if (object.properties[i].name == property.name)
            Fail(place, property.line, property.column, QStringLiteral("propriedade '%1' repetida").arg(property.name));
    }
}

[[noreturn]] void Unknown(const DefinitionProperty& property, const PropertyPlace& place) {
    QString what = QStringLiteral("propriedade desconhecida '%1'").arg(property.name);
    if (!place.className.isEmpty()) what += QStringLiteral(" da classe '%1'").arg(place.className);
    Fail(place, property.line, property.column, what);
}

}  // namespace

void ApplyProperties(const DefinitionObject& object, const PropertyPlace& place, const PropertySetter& set) {
    for (size_t i = 0; i < object.properties.size(); ++i) {
        const DefinitionProperty& property = object.properties[i];
        RefuseRepeated(object, i, place);
        bool known = false;
        try {
            known = set(property.name, property.value);
        } catch (const EDefinitionError&) {
            throw;
        } catch (const Exception& reason) {
            Fail(place, property.value.line, property.value.column,
                 QStringLiteral("%1: %2").arg(property.name, reason.Message()));
        }
        if (!known) Unknown(property, place);
    }
}
