#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// One scripted run of the host application, as a user of its script mode
// runs it: the script goes in on standard input, events come back as JSON.
struct HostRun {
    int exitCode = -1;
    QList<QJsonObject> events;
    QString errors;

    QList<QJsonObject> Events(const QString& name) const;
    // The only event of that name; fails the test when there is not exactly one.
    QJsonObject Only(const QString& name) const;
};

// A folder with a database and an output folder for a series of runs.
class HostWorkspace {
public:
    HostWorkspace();
    QString Database() const { return dir_.filePath("sample.db"); }
    QString Output() const { return dir_.filePath("out"); }
    QString ReportsCopy() const { return dir_.filePath("reports"); }

    HostRun Run(const QString& script, const QStringList& extraArguments = {}) const;

private:
    QTemporaryDir dir_;
};

// The text of a PDF file (pdftotext); empty when it cannot be read.
QString PdfText(const QString& file);
