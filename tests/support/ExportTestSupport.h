#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include "ReportData.h"
#include "ReportDefinition.h"

// The detailed cleanup report's columns, over rows the test gives: the query
// gives SISTEMA (not a column), DATA_HORA, TABELA, REGISTROS (summed) and
// USUARIO.
inline ReportDefinition ExportedReport() {
    ReportDefinition report;
    report.code = QStringLiteral("RCL047");
    report.title = QStringLiteral("Limpeza de Dados - Detalhado");
    report.headerLine = QStringLiteral(
        "Período: {P_DATAINI} a {P_DATAFIM}   Sistemas: {P_TSISTEMA=T:Todos|P_SISTEMA}");
    report.columns = {
        {"colDataHora", "DATA_HORA", QStringLiteral("Data/Hora"), 32, 0, "datetime", false},
        {"colTabela", "TABELA", QStringLiteral("Tabela"), 70, 0, "", false},
        {"colRegistros", "REGISTROS", QStringLiteral("Registros"), 30, 1, "integer", true},
        {"colUsuario", "USUARIO", QStringLiteral("Usuário"), 40, 0, "", false}};
    return report;
}

// Rows of (data_hora, tabela, registros, usuario); registros a whole number
// as text is kept as the integer the database would give.
inline ReportData ExportedRows(const QList<QStringList>& rows) {
    ReportData data(QStringList{"SISTEMA", "DATA_HORA", "TABELA", "REGISTROS", "USUARIO"});
    for (const QStringList& row : rows) {
        data.AddText("Estoque");
        data.AddText(row[0].toStdString());
        data.AddText(row[1].toStdString());
        bool whole = false;
        const qlonglong count = row[2].toLongLong(&whole);
        if (whole)
            data.AddInteger(count);
        else if (row[2].isEmpty())
            data.AddNull();
        else
            data.AddText(row[2].toStdString());
        data.AddText(row[3].toStdString());
    }
    data.Publish();
    return data;
}

// The workbook as openpyxl reads it (tests/support/read_xlsx.py).
inline QJsonObject ReadXlsx(const QString& path) {
    QProcess reader;
    // Debian's python, where setup installs openpyxl (not one of the PATH's own).
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_XLSX_PY), path});
    reader.waitForFinished(120000);
    const QByteArray out = reader.readAllStandardOutput();
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(out).object();
}

inline QJsonObject Sheet(const QJsonObject& book, const QString& name) {
    for (const QJsonValue& sheet : book["sheets"].toArray())
        if (sheet["name"].toString() == name) return sheet.toObject();
    ADD_FAILURE() << "no sheet " << name.toStdString();
    return {};
}

// The cells of a sheet's row, from 0.
inline QStringList CellsOf(const QJsonObject& sheet, int row) {
    QStringList cells;
    for (const QJsonValue& cell : sheet["cells"].toArray()[row].toArray()) cells << cell.toString();
    return cells;
}

// The value beside `item` on the Parâmetros sheet.
inline QString About(const QJsonObject& book, const QString& item) {
    const QJsonObject sheet = Sheet(book, QStringLiteral("Parâmetros"));
    for (const QJsonValue& row : sheet["cells"].toArray())
        if (row.toArray()[0].toString() == "s:" + item) return row.toArray()[1].toString();
    return QStringLiteral("<none>");
}
