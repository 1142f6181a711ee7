#pragma once

#include <QString>
#include <variant>

#include "DateUtils.h"
#include "Export.h"

// A tagged value, as query parameters hold them: nothing yet (unassigned),
// null, a text, a date, a whole number, a real number or a Boolean.
class FRAMEWORK_EXPORT Variant {
public:
    enum class Type { Unassigned, Null, String, Date, Integer, Float, Boolean };

    Variant() = default;
    Variant(const QString& text);  // NOLINT(google-explicit-constructor): as a variant is assigned
    Variant(const char* text);     // NOLINT(google-explicit-constructor)
    Variant(int value);            // NOLINT(google-explicit-constructor)
    Variant(double value);         // NOLINT(google-explicit-constructor)
    Variant(bool value);           // NOLINT(google-explicit-constructor)

    static Variant Null();
    static Variant FromDate(TDateTime value);

    Type type() const { return type_; }
    bool IsEmpty() const { return type_ == Type::Unassigned || type_ == Type::Null; }

    // Conversions as a report reads a value. Unassigned and null give the
    // empty text and 0; a date becomes "dd/mm/yyyy", a real number is written
    // with '.', a Boolean as "True" or "False".
    QString ToString() const;
    // Throws EConvertError for a text that is not a date, and for a Boolean.
    TDateTime ToDate() const;
    // Throws EConvertError for a text that is not a number (read with '.').
    double ToDouble() const;

    // Same type and value; whole and real numbers compare by value.
    bool operator==(const Variant& other) const;

private:
    Type type_ = Type::Unassigned;
    std::variant<std::monostate, QString, double, qlonglong, bool> value_;
};

// A date variant: the value's type is date.
FRAMEWORK_EXPORT Variant VarFromDateTime(TDateTime value);
