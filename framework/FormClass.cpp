#include "FormClass.h"

const THandlerTable::Entry& THandlerTable::Find(const QString& name) const {
    const auto found = entries_.find(name);
    if (found == entries_.end())
        throw Exception(QStringLiteral("manipulador de evento desconhecido '%1'").arg(name));
    return found->second;
}

// Publishing a base handler again would route its event by the table alone:
// the override is the compiler's business.
void THandlerTable::RefuseRepublished(const QString& name) const {
    if (entries_.contains(name))
        throw Exception(QStringLiteral("o manipulador '%1' já foi publicado; uma classe derivada o sobrescreve "
                                       "(override) em vez de publicá-lo de novo")
                            .arg(name));
}
