#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Copies a reports folder as the host reads it: the definitions and, under
// database/, the scripts that create their database. False when a file could
// not be copied.
inline bool CopyReportsFolder(const QString& from, const QString& to) {
    bool copied = true;
    QDirIterator files(from, {"*.rpt", "*.sql"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString copy = QDir(to).filePath(QDir(from).relativeFilePath(file));
        copied = QDir().mkpath(QFileInfo(copy).absolutePath()) && QFile::copy(file, copy) && copied;
    }
    return copied;
}
