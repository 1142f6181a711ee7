#include "ClassRegistry.h"

namespace {

[[noreturn]] void WrongKind(const DefinitionValue& value, const QString& wanted) {
    throw EPropertyValue(QStringLiteral("esperado %1, encontrado %2").arg(wanted, value.KindName()));
}

}  // namespace

int IntValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::Integer) WrongKind(value, QStringLiteral("número inteiro"));
    if (value.integer < INT_MIN || value.integer > INT_MAX)
        throw EPropertyValue(QStringLiteral("número fora do intervalo: %1").arg(value.integer));
    return static_cast<int>(value.integer);
}

bool BoolValue(const DefinitionValue& value) {
    if (value.kind == DefinitionValue::Kind::Identifier) {
        if (value.text.compare("True", Qt::CaseInsensitive) == 0) return true;
        if (value.text.compare("False", Qt::CaseInsensitive) == 0) return false;
    }
    WrongKind(value, QStringLiteral("True ou False"));
}

QString StringValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::String) WrongKind(value, QStringLiteral("texto"));
    return value.text;
}

QString IdentValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::Identifier) WrongKind(value, QStringLiteral("identificador"));
    return value.text;
}

QStringList IdentSetValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::Set) WrongKind(value, QStringLiteral("conjunto"));
    return value.set;
}

QStringList StringsValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::List) WrongKind(value, QStringLiteral("lista"));
    QStringList lines;
    for (const DefinitionValue& item : value.items) lines << StringValue(item);
    return lines;
}

QByteArray BinaryValue(const DefinitionValue& value) {
    if (value.kind != DefinitionValue::Kind::Binary) WrongKind(value, QStringLiteral("dados binários"));
    return value.binary;
}

int EnumValue(const DefinitionValue& value, const QStringList& names) {
    const auto index = static_cast<int>(names.indexOf(IdentValue(value)));
    if (index < 0)
        throw EPropertyValue(QStringLiteral("valor '%1' inválido; esperado um de: %2").arg(value.text, names.join(", ")));
    return index;
}

TColor ColorValue(const DefinitionValue& value) {
    return value.kind == DefinitionValue::Kind::Integer ? IntValue(value) : ColorFromIdent(IdentValue(value));
}

TClassInfo::TClassInfo(QString name, const TClassInfo* parent, Factory factory, bool visual)
    : name_(std::move(name)), parent_(parent), factory_(std::move(factory)), visual_(visual) {}

bool TClassInfo::InheritsFrom(const QString& className) const {
    for (const TClassInfo* info = this; info; info = info->parent_)
        if (info->name_ == className) return true;
    return false;
}

QObject* TClassInfo::Create(QObject* parent) const {
    if (!factory_) throw Exception(QStringLiteral("a classe '%1' não pode ser criada").arg(name_));
    return factory_(parent);
}

const TClassInfo::Setter* TClassInfo::FindProperty(const QString& name) const {
    for (const TClassInfo* info = this; info; info = info->parent_) {
        const auto found = info->properties_.find(name);
        if (found != info->properties_.end()) return &found->second;
    }
    return nullptr;
}

bool TClassInfo::Skips(const QString& name) const {
    for (const TClassInfo* info = this; info; info = info->parent_)
        if (info->skips_.contains(name)) return true;
    return false;
}

void TClassInfo::AddProperty(const QString& name, Setter setter) { properties_[name] = std::move(setter); }

void TClassInfo::AddSkip(const QString& name, const QString& reason) { skips_[name] = reason; }

TClassInfo::Factory TClassInfo::ReplaceFactory(Factory factory) {
    std::swap(factory, factory_);
    return factory;
}

TClassInfo& TClassRegistry::Register(const QString& name, const QString& parentName,
                                     TClassInfo::Factory factory, bool visual) {
    const TClassInfo* parent = parentName.isEmpty() ? nullptr : Find(parentName);
    if (!parentName.isEmpty() && !parent)
        throw Exception(QStringLiteral("classe base '%1' não registrada").arg(parentName));
    auto& slot = classes_[name];
    slot = std::make_unique<TClassInfo>(name, parent, std::move(factory), visual);
    return *slot;
}

const TClassInfo* TClassRegistry::Find(const QString& name) const {
    const auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : found->second.get();
}

TClassInfo* TClassRegistry::FindMutable(const QString& name) {
    const auto found = classes_.find(name);
    return found == classes_.end() ? nullptr : found->second.get();
}
