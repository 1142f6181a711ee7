#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "Export.h"
#include "FieldTypes.h"
#include "Variants.h"

// One named query parameter: a data type and a value.
class FRAMEWORK_EXPORT TParam {
public:
    explicit TParam(QString name, TFieldType dataType = ftUnknown);

    const QString& Name() const { return name_; }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType type) { dataType_ = type; }

    const Variant& Value() const { return value_; }
    // Stores the variant; the data type follows the variant only while it is
    // still unknown: a date variant makes it ftDateTime, a text ftString, a
    // whole number ftInteger, a real number ftFloat, a Boolean ftBoolean; a
    // null or unassigned variant leaves it unknown.
    void SetValue(const Variant& value);

    QString AsString() const;
    // Stores the text and makes the data type ftString.
    void SetAsString(const QString& text);

    bool IsNull() const { return value_.IsEmpty(); }
    void Clear() { value_ = Variant(); }

private:
    QString name_;
    TFieldType dataType_;
    Variant value_;
};

// An ordered collection of parameters. Names are compared without regard to
// case, as SQL does.
class FRAMEWORK_EXPORT TParams {
public:
    TParams() = default;
    TParams(const TParams& other);
    TParams& operator=(const TParams& other);
    TParams(TParams&&) noexcept = default;
    TParams& operator=(TParams&&) noexcept = default;

    // Adds a parameter at the end and returns it.
    TParam& CreateParam(TFieldType dataType, const QString& name);
    // nullptr when there is none of that name.
    TParam* FindParam(const QString& name) const;
    // Throws EDatabaseError when there is none of that name.
    TParam& ParamByName(const QString& name) const;

    int Count() const { return static_cast<int>(items_.size()); }
    TParam& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TParam>> items_;
};
