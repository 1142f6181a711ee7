#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "HostExport.h"

// A report definition file (*.rpt), in the same object text format as the
// screens' definitions:
//
//   object Report: TReportDefinition
//     Code = 'VND010'
//     Title = 'Vendas por Loja'
//     SQL.Strings = ('SELECT ...' 'WHERE v.dia >= :P_INICIO' ...)
//     SQLPostgreSQL.Strings = ('SELECT ...' ...)   (optional, see below)
//     HeaderLine = 'Per'#237'odo: {P_INICIO} a {P_FIM}'   (optional)
//     GroupField = 'LOJA'               (optional: a group per value, with totals)
//     object colData: TReportColumn
//       FieldName = 'DATA'  Header = 'Data'  Width = 25  Alignment = taLeftJustify
//       Format = 'date'     Total = False
//     end
//     ...
//   end
//
// SQL.Strings is the query; SQLPostgreSQL.Strings, when given, is the one
// run on a PostgreSQL database instead (the same parameters, the same
// result columns), for what the two write differently (dates, JSON).
// Each query holds exactly one statement as each database it runs on reads
// it (SqlStatements.h): SQL.Strings on SQLite, and on PostgreSQL too when
// there is no SQLPostgreSQL.Strings. Comments and a trailing ';' are
// allowed; two statements, or none (comments only), fail the read.
//
// HeaderLine is the line printed under the title on every page, a template:
// text with placeholders in braces. A placeholder is one or more
// alternatives separated by '|'; the first that gives a text that is not
// empty is printed (none: nothing). An alternative is
//   NAME            the display text of parameter NAME (see DisplayText)
//   NAME=VALUE:TEXT TEXT when NAME's display text is exactly VALUE
//   "TEXT"          TEXT itself
// VALUE and TEXT after ':' may not hold '|', '}' or '"'; a quoted TEXT may
// hold anything but '"'. Braces stand only for placeholders. Every NAME must
// be a parameter of every query. For example
//   'Lojas: {P_TODAS=T:Todas|P_LOJAS|"Nenhuma"}'
// prints "Todas" when P_TODAS is 'T', else the stores listed in P_LOJAS (a
// list as the lookup list writes it), else "Nenhuma". Without HeaderLine
// there is no such line.
//
// Width is in millimetres; Format is '' (as is), 'date', 'datetime',
// 'integer' (thousands separated) or 'float2'. Columns with Total = True are
// summed per group and for the whole report.
struct HOST_EXPORT ReportColumn {
    QString name;
    QString fieldName;
    QString header;
    double width = 30;
    int alignment = 0;  // 0 left, 1 right, 2 centre
    QString format;
    bool total = false;
};

struct HOST_EXPORT ReportDefinition {
    QString file;  // where it was read from
    QString code;
    QString title;
    QString sql;
    // A database kind's own text of the query, by the kind's name
    // (DatabaseKind::Name), where it differs from `sql`: written
    // SQL<Title>.Strings ("SQLPostgreSQL.Strings"). Read it with QueryTextFor.
    QMap<QString, QString> kindSql;
    QString headerLine;
    QString groupField;
    QList<ReportColumn> columns;

    // The kind's own text of the query (DatabaseKind::Name: "postgresql");
    // empty when it has none.
    QString QueryTextFor(const QString& kind) const;
    // The query to run on a database of that kind: its own text, or `sql`.
    QString QueryFor(const QString& kind) const;

    // Throws EDefinitionError (file, line, what) for a malformed or
    // incomplete definition, EFileRead when the file is no regular file of
    // at most kMaxReportFileBytes or cannot be read.
    static ReportDefinition Read(const QString& path);
    // As Read, from a definition's text; `source` names it in messages and
    // becomes `file`.
    static ReportDefinition ReadFromText(const QByteArray& text, const QString& source);
    // Writes the definition to `path`, which is replaced in one step once the
    // whole file is on disk; throws Exception with the path and the reason
    // when it cannot, leaving an earlier file untouched.
    void Write(const QString& path) const;
    // Writes the definition as a new file in `dir`, named after its code and
    // title ("RCL047_meu_relatorio.rpt", then "_2", "_3"... when taken). The
    // name is claimed atomically, so parallel savers never overwrite each
    // other. Gives the path written; throws as Write.
    QString WriteNew(const QString& dir) const;
};

// The definitions in `dir` whose code is `code`, by title. Files that cannot
// be read are left out and listed in `problems` (file: reason).
HOST_EXPORT QList<ReportDefinition> FindReports(const QString& dir, const QString& code,
                                                QStringList* problems = nullptr);

// The names cbbReportNames shows for `reports`, in their order: the title,
// with the file name in parentheses when another report has the same title
// (ignoring case), so that each can be told apart and chosen.
HOST_EXPORT QStringList ReportListNames(const QList<ReportDefinition>& reports);

// The largest report definition read; real ones take a few kilobytes.
constexpr qint64 kMaxReportFileBytes = 1024 * 1024;
