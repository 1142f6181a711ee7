#include "Variants.h"

#include <QLocale>

#include "SysUtils.h"

Variant::Variant(const QString& text) : type_(Type::String), value_(text) {}

Variant::Variant(const char* text) : type_(Type::String), value_(QString::fromUtf8(text)) {}

Variant::Variant(int value) : type_(Type::Integer), value_(static_cast<qlonglong>(value)) {}

Variant::Variant(double value) : type_(Type::Float), value_(value) {}

Variant::Variant(bool value) : type_(Type::Boolean), value_(value) {}

Variant Variant::Null() {
    Variant result;
    result.type_ = Type::Null;
    return result;
}

Variant Variant::FromDate(TDateTime value) {
    Variant result(value);
    result.type_ = Type::Date;
    return result;
}

QString Variant::ToString() const {
    switch (type_) {
        case Type::Unassigned:
        case Type::Null:
            return QString();
        case Type::String:
            return std::get<QString>(value_);
        case Type::Date:
            return DateToStr(std::get<double>(value_));
        case Type::Integer:
            return QString::number(std::get<qlonglong>(value_));
        case Type::Float:
            // The shortest text that reads back as the same number, with '.'.
            return QString::number(std::get<double>(value_), 'g', QLocale::FloatingPointShortest);
        case Type::Boolean:
            return std::get<bool>(value_) ? QStringLiteral("True") : QStringLiteral("False");
    }
    return QString();
}

TDateTime Variant::ToDate() const {
    if (type_ == Type::String) return StrToDate(std::get<QString>(value_));
    if (type_ == Type::Boolean) {
        throw EConvertError(QStringLiteral("Um valor lógico não pode ser convertido em data."));
    }
    return ToDouble();
}

double Variant::ToDouble() const {
    switch (type_) {
        case Type::Unassigned:
        case Type::Null:
            return 0;
        case Type::String: {
            bool ok = false;
            const QString& text = std::get<QString>(value_);
            const double result = QLocale::c().toDouble(text.trimmed(), &ok);
            if (!ok) throw EConvertError(QStringLiteral("'%1' não é um número válido.").arg(text));
            return result;
        }
        case Type::Date:
        case Type::Float:
            return std::get<double>(value_);
        case Type::Integer:
            return static_cast<double>(std::get<qlonglong>(value_));
        case Type::Boolean:
            return std::get<bool>(value_) ? 1 : 0;
    }
    return 0;
}

bool Variant::operator==(const Variant& other) const {
    const auto numeric = [](Type type) { return type == Type::Integer || type == Type::Float; };
    if (numeric(type_) && numeric(other.type_)) return ToDouble() == other.ToDouble();
    return type_ == other.type_ && value_ == other.value_;
}

Variant VarFromDateTime(TDateTime value) { return Variant::FromDate(value); }
