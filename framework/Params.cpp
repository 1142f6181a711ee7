#include "Params.h"

#include <utility>

#include "SysUtils.h"

namespace {

// The data type that a variant gives a parameter whose type is still unknown.
TFieldType TypeOf(const Variant& value) {
    switch (value.type()) {
        case Variant::Type::Date:
            return ftDateTime;
        case Variant::Type::String:
            return ftString;
        case Variant::Type::Integer:
            return ftInteger;
        case Variant::Type::Float:
            return ftFloat;
        case Variant::Type::Boolean:
            return ftBoolean;
        case Variant::Type::Unassigned:
        case Variant::Type::Null:
            break;
    }
    return ftUnknown;
}

}  // namespace

TParam::TParam(QString name, TFieldType dataType) : name_(std::move(name)), dataType_(dataType) {}

void TParam::SetValue(const Variant& value) {
    value_ = value;
    if (dataType_ == ftUnknown) dataType_ = TypeOf(value);
}

QString TParam::AsString() const { return value_.ToString(); }

void TParam::SetAsString(const QString& text) {
    value_ = Variant(text);
    dataType_ = ftString;
}

TParams::TParams(const TParams& other) { *this = other; }

TParams& TParams::operator=(const TParams& other) {
    if (this == &other) return *this;
    std::vector<std::unique_ptr<TParam>> copy;
    copy.reserve(other.items_.size());
    for (const auto& item : other.items_) copy.push_back(std::make_unique<TParam>(*item));
    items_ = std::move(copy);
    return *this;
}

TParam& TParams::CreateParam(TFieldType dataType, const QString& name) {
    items_.push_back(std::make_unique<TParam>(name, dataType));
    return *items_.back();
}

TParam* TParams::FindParam(const QString& name) const {
    for (const auto& item : items_) {
        if (item->Name().compare(name, Qt::CaseInsensitive) == 0) return item.get();
    }
    return nullptr;
}

TParam& TParams::ParamByName(const QString& name) const {
    TParam* param = FindParam(name);
    if (!param) throw EDatabaseError(QStringLiteral("Parâmetro '%1' não encontrado.").arg(name));
    return *param;
}
