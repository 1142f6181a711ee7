#include "ReportDefinition.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>
#include <functional>
#include <map>

#include "ClassRegistry.h"
#include "DefinitionReader.h"
#include "ReportHeader.h"
#include "ReportQuery.h"

namespace {

const QString kReportClass = QStringLiteral("TReportDefinition");
const QString kColumnClass = QStringLiteral("TReportColumn");
const QStringList kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
const QStringList kFormats = {"", "date", "datetime", "integer", "float2"};

double NumberValue(const DefinitionValue& value) {
    if (value.kind == DefinitionValue::Kind::Float) return value.real;
    return IntValue(value);
}

// Applies an object's properties through a table of setters: an unknown or
// repeated property, or a value of the wrong kind, fails with its line.
template <class T>
using PropertyTable = std::map<QString, std::function<void(T&, const DefinitionValue&)>>;

template <class T>
void ApplyProperties(const DefinitionObject& object, const PropertyTable<T>& table, T& target,
                     const QString& file, const QString& path) {
    QStringList seen;
    for (const DefinitionProperty& property : object.properties) {
        const auto setter = table.find(property.name);
        if (setter == table.end())
            throw EDefinitionError(
                file, property.line, property.column, path,
                QStringLiteral("propriedade desconhecida '%1'").arg(property.name));
        if (seen.contains(property.name))
            throw EDefinitionError(file, property.line, property.column, path,
                                   QStringLiteral("propriedade '%1' repetida").arg(property.name));
        seen << property.name;
        try {
            setter->second(target, property.value);
        } catch (const EPropertyValue& error) {
            throw EDefinitionError(file, property.value.line, property.value.column, path,
                                   QStringLiteral("%1: %2").arg(property.name, error.Message()));
        }
    }
}

const PropertyTable<ReportColumn>& ColumnProperties() {
    static const PropertyTable<ReportColumn> table = {
        {"FieldName",
         [](ReportColumn& c, const DefinitionValue& v) { c.fieldName = StringValue(v); }},
        {"Header", [](ReportColumn& c, const DefinitionValue& v) { c.header = StringValue(v); }},
        {"Width",
         [](ReportColumn& c, const DefinitionValue& v) {
             c.width = NumberValue(v);
             if (!(c.width > 0 && c.width <= 1000))
                 throw EPropertyValue(QStringLiteral("largura fora do intervalo (0 a 1000 mm)"));
         }},
        {"Alignment", [](ReportColumn& c,
                         const DefinitionValue& v) { c.alignment = EnumValue(v, kAlignments); }},
        {"Format",
         [](ReportColumn& c, const DefinitionValue& v) {
             c.format = StringValue(v);
             if (!kFormats.contains(c.format))
                 throw EPropertyValue(
                     QStringLiteral("formato '%1' inválido; esperado um de: '', %2")
                         .arg(c.format, kFormats.mid(1).join(", ")));
         }},
        {"Total", [](ReportColumn& c, const DefinitionValue& v) { c.total = BoolValue(v); }},
    };
    return table;
}

const PropertyTable<ReportDefinition>& ReportProperties() {
    static const PropertyTable<ReportDefinition> table = {
        {"Code", [](ReportDefinition& r, const DefinitionValue& v) { r.code = StringValue(v); }},
        {"Title", [](ReportDefinition& r, const DefinitionValue& v) { r.title = StringValue(v); }},
        {"SQL.Strings",
         [](ReportDefinition& r, const DefinitionValue& v) { r.sql = StringsValue(v).join('\n'); }},
        {"SQLPostgreSQL.Strings",
         [](ReportDefinition& r, const DefinitionValue& v) {
             r.sqlPostgreSQL = StringsValue(v).join('\n');
         }},
        {"HeaderLine",
         [](ReportDefinition& r, const DefinitionValue& v) {
             r.headerLine = StringValue(v);
             HeaderLineParams(r.headerLine);  // throws for a malformed template
         }},
        {"GroupField",
         [](ReportDefinition& r, const DefinitionValue& v) { r.groupField = StringValue(v); }},
    };
    return table;
}

void RequireClass(const DefinitionObject& object, const QString& className, const QString& file,
                  const QString& path) {
    if (object.kind != DefinitionObject::Kind::Object || object.className != className)
        throw EDefinitionError(
            file, object.line, object.column, path,
            QStringLiteral("esperado 'object %1: %2'").arg(object.name, className));
}

void RequireText(const QString& value, const QString& property, const DefinitionObject& object,
                 const QString& file, const QString& path) {
    if (value.trimmed().isEmpty())
        throw EDefinitionError(
            file, object.line, object.column, path,
            QStringLiteral("propriedade obrigatória '%1' ausente ou vazia").arg(property));
}

ReportColumn ReadColumn(const DefinitionObject& object, const QString& file,
                        const QString& rootPath) {
    const QString path = rootPath + u'.' + object.name;
    RequireClass(object, kColumnClass, file, path);
    if (!object.children.empty()) {
        const DefinitionObject& child = object.children.front();
        throw EDefinitionError(file, child.line, child.column, path,
                               QStringLiteral("uma coluna não contém outros objetos"));
    }
    ReportColumn column;
    column.name = object.name;
    ApplyProperties(object, ColumnProperties(), column, file, path);
    RequireText(column.fieldName, QStringLiteral("FieldName"), object, file, path);
    return column;
}

DefinitionProperty Property(const QString& name, DefinitionValue::Kind kind) {
    DefinitionProperty property;
    property.name = name;
    property.value.kind = kind;
    return property;
}

DefinitionProperty TextProperty(const QString& name, const QString& text) {
    DefinitionProperty property = Property(name, DefinitionValue::Kind::String);
    property.value.text = text;
    return property;
}

DefinitionProperty IdentProperty(const QString& name, const QString& ident) {
    DefinitionProperty property = Property(name, DefinitionValue::Kind::Identifier);
    property.value.text = ident;
    return property;
}

DefinitionProperty LinesProperty(const QString& name, const QString& text) {
    DefinitionProperty property = Property(name, DefinitionValue::Kind::List);
    for (const QString& line : text.split('\n')) {
        DefinitionValue item;
        item.kind = DefinitionValue::Kind::String;
        item.text = line;
        property.value.items.push_back(item);
    }
    return property;
}

DefinitionProperty WidthProperty(double width) {
    // Whole widths are written as integers; the range test keeps the
    // conversion defined for any double.
    if (std::abs(width) < 1e9 && std::trunc(width) == width) {
        DefinitionProperty property =
            Property(QStringLiteral("Width"), DefinitionValue::Kind::Integer);
        property.value.integer = static_cast<qlonglong>(width);
        return property;
    }
    DefinitionProperty property = Property(QStringLiteral("Width"), DefinitionValue::Kind::Float);
    property.value.real = width;
    return property;
}

bool IsIdentifier(const QString& name) {
    if (name.isEmpty() || !(name[0].isLetter() || name[0] == u'_')) return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_') || c.unicode() > 127) return false;
    return true;
}

DefinitionObject ColumnObject(const ReportColumn& column, int index) {
    DefinitionObject object;
    object.name = IsIdentifier(column.name) ? column.name : QStringLiteral("col%1").arg(index + 1);
    object.className = kColumnClass;
    object.properties = {
        TextProperty("FieldName", column.fieldName),
        TextProperty("Header", column.header),
        WidthProperty(column.width),
        IdentProperty("Alignment", kAlignments.value(column.alignment, kAlignments[0])),
        TextProperty("Format", column.format),
        IdentProperty("Total", column.total ? "True" : "False")};
    return object;
}

// Lower-case ASCII words of the title joined by '_', accents dropped.
QString Slug(const QString& title) {
    QString slug;
    for (const QChar c : title.normalized(QString::NormalizationForm_KD)) {
        if (c.unicode() < 128 && c.isLetterOrNumber())
            slug += c.toLower();
        else if (!c.isMark() && !slug.isEmpty() && !slug.endsWith(u'_'))
            slug += u'_';
    }
    while (slug.endsWith(u'_')) slug.chop(1);
    slug.truncate(40);
    while (slug.endsWith(u'_')) slug.chop(1);
    return slug.isEmpty() ? QStringLiteral("relatorio") : slug;
}

// Every parameter the header line names is one that every query has.
void RequireHeaderParams(const ReportDefinition& report, const DefinitionObject& root) {
    for (const QString& query : {report.sql, report.sqlPostgreSQL}) {
        if (query.isEmpty()) continue;
        const QStringList queryParams = QueryParamNames(query);
        for (const QString& name : HeaderLineParams(report.headerLine))
            if (!queryParams.contains(name, Qt::CaseInsensitive))
                throw EDefinitionError(
                    report.file, root.line, root.column, root.name,
                    QStringLiteral("a linha de cabeçalho usa o parâmetro '%1', que a consulta não tem")
                        .arg(name));
    }
}

ReportDefinition FromTree(const DefinitionObject& root, const QString& path) {
    RequireClass(root, kReportClass, path, root.name);
    ReportDefinition report;
    report.file = path;
    ApplyProperties(root, ReportProperties(), report, path, root.name);
    RequireText(report.code, QStringLiteral("Code"), root, path, root.name);
    RequireText(report.title, QStringLiteral("Title"), root, path, root.name);
    RequireText(report.sql, QStringLiteral("SQL.Strings"), root, path, root.name);
    RequireHeaderParams(report, root);
    for (const DefinitionObject& child : root.children)
        report.columns << ReadColumn(child, path, root.name);
    if (report.columns.isEmpty())
        throw EDefinitionError(path, root.line, root.column, root.name,
                               QStringLiteral("o relatório não tem nenhuma coluna"));
    return report;
}

}  // namespace

const QString& ReportDefinition::QueryFor(const QString& driver) const {
    return driver == QLatin1String("QPSQL") && !sqlPostgreSQL.isEmpty() ? sqlPostgreSQL : sql;
}

ReportDefinition ReportDefinition::Read(const QString& path) {
    return FromTree(ReadDefinitionFile(path), path);
}

ReportDefinition ReportDefinition::ReadFromText(const QByteArray& text, const QString& source) {
    return FromTree(ReadDefinition(text, source), source);
}

void ReportDefinition::Write(const QString& path) const {
    DefinitionObject root;
    root.name = QStringLiteral("Report");
    root.className = kReportClass;
    root.properties = {TextProperty("Code", code), TextProperty("Title", title),
                       LinesProperty("SQL.Strings", sql)};
    if (!sqlPostgreSQL.isEmpty())
        root.properties.push_back(LinesProperty("SQLPostgreSQL.Strings", sqlPostgreSQL));
    if (!headerLine.isEmpty()) root.properties.push_back(TextProperty("HeaderLine", headerLine));
    if (!groupField.isEmpty()) root.properties.push_back(TextProperty("GroupField", groupField));
    for (int i = 0; i < columns.size(); ++i) root.children.push_back(ColumnObject(columns[i], i));

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(WriteDefinition(root)) < 0 || !out.commit())
        throw Exception(QStringLiteral("Não foi possível gravar o relatório em %1: %2")
                            .arg(QDir::toNativeSeparators(path), out.errorString()));
}

QList<ReportDefinition> FindReports(const QString& dir, const QString& code,
                                    QStringList* problems) {
    QList<ReportDefinition> found;
    const QDir folder(dir);
    if (dir.isEmpty() || !folder.exists()) {
        if (problems)
            *problems
                << QStringLiteral("%1: pasta não encontrada").arg(QDir::toNativeSeparators(dir));
        return found;
    }
    const QStringList files = folder.entryList({QStringLiteral("*.rpt")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString path = folder.filePath(name);
        try {
            ReportDefinition report = ReportDefinition::Read(path);
            if (report.code.compare(code, Qt::CaseInsensitive) == 0) found << report;
        } catch (const EDefinitionError& error) {
            if (problems) *problems << error.Message();
        } catch (const Exception& error) {
            if (problems) *problems << QStringLiteral("%1: %2").arg(path, error.Message());
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const ReportDefinition& a, const ReportDefinition& b) {
                         return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
                     });
    return found;
}

QString NewReportFileName(const QString& dir, const QString& code, const QString& title) {
    const QString base = Slug(code).toUpper() + u'_' + Slug(title);
    const QDir folder(dir);
    QString name = base + QStringLiteral(".rpt");
    for (int n = 2; QFileInfo::exists(folder.filePath(name)); ++n)
        name = QStringLiteral("%1_%2.rpt").arg(base).arg(n);
    return folder.filePath(name);
}
