#include "FormClass.h"

const THandlerTable::Entry& THandlerTable::Find(const QString& name) const {
    const auto found = entries_.find(name);
    if (found == entries_.end())
        throw Exception(QStringLiteral("manipulador de evento desconhecido '%1'").arg(name));
    return found->second;
}
