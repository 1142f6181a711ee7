#include "ReportValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include "DateUtils.h"
#include "ReportFormat.h"

namespace {

// The items of a text in the lookup list's form; false for any other text.
bool ListItems(const QString& text, QStringList& items) {
    if (!text.startsWith(u'[')) return false;
    const QJsonDocument json = QJsonDocument::fromJson(text.toUtf8());
    if (!json.isArray()) return false;
    for (const auto& item : json.array()) {
        if (!item.isString()) return false;
        items << item.toString();
    }
    return true;
}

QString TextForPeople(const QString& text) {
    QStringList items;
    return ListItems(text, items) ? items.join(QStringLiteral(", ")) : text;
}

}  // namespace

QVariant BoundValue(const TParam& param) {
    const Variant& value = param.Value();
    switch (value.type()) {
        case Variant::Type::Unassigned:
        case Variant::Type::Null:
            return QVariant();
        case Variant::Type::Date:
            return param.DataType() == ftDate ? DateToIso(value.ToDate())
                                              : DateTimeToIso(value.ToDate());
        case Variant::Type::String: {
            // A null QString would reach the drivers as NULL.
            const QString text = value.ToString();
            return text.isNull() ? QStringLiteral("") : text;
        }
        case Variant::Type::Integer:
            return static_cast<qlonglong>(value.ToDouble());
        case Variant::Type::Float:
            return value.ToDouble();
        case Variant::Type::Boolean:
            return value == Variant(true) ? 1 : 0;
    }
    return QVariant();
}

QString DisplayText(const TParam& param) {
    const Variant& value = param.Value();
    switch (value.type()) {
        case Variant::Type::Unassigned:
        case Variant::Type::Null:
            return QString();
        case Variant::Type::Date:
            return param.DataType() == ftDate ? DateToStr(value.ToDate())
                                              : DateTimeToStr(value.ToDate());
        case Variant::Type::String:
            return TextForPeople(value.ToString());
        case Variant::Type::Integer:
            return FormatReportValue(value.ToDouble(), ReportFormat::Integer);
        case Variant::Type::Float:
            return FormatReportValue(value.ToDouble(), ReportFormat::Float2);
        case Variant::Type::Boolean:
            return value == Variant(true) ? QStringLiteral("Sim") : QStringLiteral("Não");
    }
    return QString();
}
