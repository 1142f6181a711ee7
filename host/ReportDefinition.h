#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "HostExport.h"

// A report definition file (*.rpt), in the same object text format as the
// screens' definitions:
//
//   object Report: TReportDefinition
//     Code = 'RCL047'
//     Title = 'Limpeza de Dados - Detalhado'
//     SQL.Strings = ('SELECT ...' 'WHERE l.data_hora >= :P_DATAINI' ...)
//     GroupField = 'SISTEMA'            (optional: a group per value, with totals)
//     object colData: TReportColumn
//       FieldName = 'DATA'  Header = 'Data'  Width = 25  Alignment = taLeftJustify
//       Format = 'date'     Total = False
//     end
//     ...
//   end
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
    QString groupField;
    QList<ReportColumn> columns;

    // Throws EDefinitionError (file, line, what) for a malformed or
    // incomplete definition.
    static ReportDefinition Read(const QString& path);
    // As Read, from a definition's text; `source` names it in messages and
    // becomes `file`.
    static ReportDefinition ReadFromText(const QByteArray& text, const QString& source);
    // Writes the definition to `path`; throws Exception when it cannot.
    void Write(const QString& path) const;
};

// The definitions in `dir` whose code is `code`, by title. Files that cannot
// be read are left out and listed in `problems` (file: reason).
HOST_EXPORT QList<ReportDefinition> FindReports(const QString& dir, const QString& code,
                                                QStringList* problems = nullptr);

// A file name in `dir` for a new definition: the code and the title's words
// in lower case without accents ("RCL047_meu_relatorio.rpt"), with "_2",
// "_3"... added when the name is taken.
HOST_EXPORT QString NewReportFileName(const QString& dir, const QString& code, const QString& title);
