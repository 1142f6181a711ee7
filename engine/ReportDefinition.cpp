#include "ReportDefinition.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <new>

#include "BoundedFile.h"
#include "ClassRegistry.h"
#include "DatabaseKinds.h"
#include "DefinitionReader.h"
#include "PropertyApplier.h"
#include "ReportHeader.h"
#include "ReportQuery.h"
#include "SafeFile.h"
#include "SqlStatements.h"

namespace {

const QString kReportClass = QStringLiteral("TReportDefinition");
const QString kColumnClass = QStringLiteral("TReportColumn");
const QStringList kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
const QStringList kFormats = {"", "date", "datetime", "integer", "float2"};

double NumberValue(const DefinitionValue& value) {
    if (value.kind == DefinitionValue::Kind::Float) return value.real;
    return IntValue(value);
}

// Applies an object's properties through a table of setters.
template <class T>
using PropertyTable = std::map<QString, std::function<void(T&, const DefinitionValue&)>>;

template <class T>
void ApplyProperties(const DefinitionObject& object, const PropertyTable<T>& table, T& target,
                     const QString& file, const QString& path) {
    ::ApplyProperties(object, {file, path, {}}, [&](const QString& name, const DefinitionValue& value) {
        const auto setter = table.find(name);
        if (setter == table.end()) return false;
        setter->second(target, value);
        return true;
    });
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

// The name a definition gives a kind's own query text.
QString KindSqlProperty(const DatabaseKind& kind) {
    return QStringLiteral("SQL%1.Strings").arg(kind.Title());
}

// The fixed properties and each database kind's own query text.
PropertyTable<ReportDefinition> ReportProperties() {
    PropertyTable<ReportDefinition> table = {
        {"Code", [](ReportDefinition& r, const DefinitionValue& v) { r.code = StringValue(v); }},
        {"Title", [](ReportDefinition& r, const DefinitionValue& v) { r.title = StringValue(v); }},
        {"SQL.Strings",
         [](ReportDefinition& r, const DefinitionValue& v) { r.sql = StringsValue(v).join('\n'); }},
        {"HeaderLine",
         [](ReportDefinition& r, const DefinitionValue& v) {
             r.headerLine = StringValue(v);
             HeaderLineParams(r.headerLine);  // throws for a malformed template
         }},
        {"GroupField",
         [](ReportDefinition& r, const DefinitionValue& v) { r.groupField = StringValue(v); }},
    };
    for (const DatabaseKind* kind : DatabaseKinds::All())
        table[KindSqlProperty(*kind)] = [name = kind->Name()](ReportDefinition& r, const DefinitionValue& v) {
            r.kindSql[name] = StringsValue(v).join('\n');
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

void WriteText(const ReportDefinition& report, SafeFile& out) {
    DefinitionObject root;
    root.name = QStringLiteral("Report");
    root.className = kReportClass;
    root.properties = {TextProperty("Code", report.code), TextProperty("Title", report.title),
                       LinesProperty("SQL.Strings", report.sql)};
    for (const DatabaseKind* kind : DatabaseKinds::All())
        if (const QString own = report.QueryTextFor(kind->Name()); !own.isEmpty())
            root.properties.push_back(LinesProperty(KindSqlProperty(*kind), own));
    if (!report.headerLine.isEmpty())
        root.properties.push_back(TextProperty("HeaderLine", report.headerLine));
    if (!report.groupField.isEmpty())
        root.properties.push_back(TextProperty("GroupField", report.groupField));
    for (int i = 0; i < report.columns.size(); ++i)
        root.children.push_back(ColumnObject(report.columns[i], i));
    out.Device().write(WriteDefinition(root));
    out.Commit();
}

QString Unreadable(const QString& path, const QString& reason) {
    return QStringLiteral("%1: não foi possível ler a definição: %2").arg(path, reason);
}

// Every parameter the header line names is one that every query has.
void RequireHeaderParams(const ReportDefinition& report, const DefinitionObject& root) {
    for (const QString& query : QStringList{report.sql} + report.kindSql.values()) {
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

// What makes `sql` other than one statement in `dialect`, as the database
// reads it: the text as written and as sent (parameters as '?', comments as
// spaces) are both read, so that no difference between this reading and the
// parameters' one can hide a second statement. On PostgreSQL Qt's driver
// numbers each '?' ($1, $2...), so a '$' and a name right before one would
// become a dollar quote's tag.
QString StatementProblem(const QString& sql, SqlDialect dialect) {
    static const QRegularExpression tagBeforeParam(QStringLiteral("\\$[\\w\\x{80}-\\x{10FFFF}]*\\?"));
    const QString sent = ToPositional(sql).sql;
    if (dialect == SqlDialect::PostgreSQL && sent.contains(tagBeforeParam))
        return QStringLiteral("tem um '$' colado a um parâmetro");
    for (const QString* text : {&sql, &sent}) {
        const SqlStatementCount count = CountStatements(*text, dialect);
        if (!count.problem.isEmpty())
            return QStringLiteral("não pode ser lida: tem %1").arg(count.problem);
        if (count.statements == 0)
            return QStringLiteral("não tem nenhum comando, só comentários ou espaços");
        if (count.statements > 1) {
            QString second = text->mid(count.secondStart, 40).simplified();
            if (second.size() > 30) second = second.left(30) + u'…';
            return QStringLiteral("tem mais de um comando (o segundo começa em \"%1\"); um "
                                  "relatório roda um só comando")
                .arg(second);
        }
    }
    return {};
}

// Each query holds exactly one statement for each database kind it runs on:
// the kind's own text where it has one, else `sql`.
void RequireOneStatement(const ReportDefinition& report, const DefinitionObject& root) {
    for (const DatabaseKind* kind : DatabaseKinds::All()) {
        const QString own = report.QueryTextFor(kind->Name());
        const QString property = own.isEmpty() ? QStringLiteral("SQL.Strings") : KindSqlProperty(*kind);
        if (const QString problem = StatementProblem(report.QueryFor(kind->Name()), kind->Dialect());
            !problem.isEmpty())
            throw EDefinitionError(report.file, root.line, root.column, root.name,
                                   QStringLiteral("a consulta %1 %2").arg(property, problem));
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
    RequireOneStatement(report, root);
    RequireHeaderParams(report, root);
    for (const DefinitionObject& child : root.children)
        report.columns << ReadColumn(child, path, root.name);
    if (report.columns.isEmpty())
        throw EDefinitionError(path, root.line, root.column, root.name,
                               QStringLiteral("o relatório não tem nenhuma coluna"));
    return report;
}

}  // namespace

QString ReportDefinition::QueryTextFor(const QString& kind) const { return kindSql.value(kind); }

QString ReportDefinition::QueryFor(const QString& kind) const {
    const QString own = QueryTextFor(kind);
    return own.isEmpty() ? sql : own;
}

ReportDefinition ReportDefinition::Read(const QString& path) {
    return FromTree(ReadDefinition(ReadRegularFile(path, kMaxReportFileBytes), path), path);
}

ReportDefinition ReportDefinition::ReadFromText(const QByteArray& text, const QString& source) {
    return FromTree(ReadDefinition(text, source), source);
}

void ReportDefinition::Write(const QString& path) const {
    SafeFile out(path);
    WriteText(*this, out);
}

QString ReportDefinition::WriteNew(const QString& dir) const {
    const QString stem = Slug(code).toUpper() + u'_' + Slug(title);
    SafeFile out = SafeFile::ClaimNew(dir, [stem](int n) {
        return n == 1 ? stem + QStringLiteral(".rpt") : QStringLiteral("%1_%2.rpt").arg(stem).arg(n);
    });
    WriteText(*this, out);
    return out.Target();
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
    const QStringList files = folder.entryList({QStringLiteral("*.rpt")}, QDir::Files | QDir::System, QDir::Name);
    for (const QString& name : files) {
        const QString path = folder.filePath(name);
        try {
            ReportDefinition report = ReportDefinition::Read(path);
            if (report.code.compare(code, Qt::CaseInsensitive) == 0) found << report;
        } catch (const EDefinitionError& error) {
            if (problems) *problems << error.Message();
        } catch (const EFileRead& error) {
            if (problems) *problems << Unreadable(path, error.Reason());
        } catch (const Exception& error) {
            if (problems) *problems << QStringLiteral("%1: %2").arg(path, error.Message());
        } catch (const std::bad_alloc&) {
            if (problems) *problems << Unreadable(path, QStringLiteral("memória insuficiente"));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const ReportDefinition& a, const ReportDefinition& b) {
                         return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
                     });
    return found;
}

QStringList ReportListNames(const QList<ReportDefinition>& reports) {
    QStringList names;
    for (const ReportDefinition& report : reports) {
        const auto sameTitle = [&report](const ReportDefinition& other) {
            return other.title.compare(report.title, Qt::CaseInsensitive) == 0;
        };
        const bool shared = std::count_if(reports.begin(), reports.end(), sameTitle) > 1;
        names << (shared ? QStringLiteral("%1 (%2)").arg(report.title, QFileInfo(report.file).fileName())
                         : report.title);
    }
    return names;
}
