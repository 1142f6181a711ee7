#pragma once

#include <QString>

#include "Export.h"
#include "SysUtils.h"

// A definition that cannot be read or applied: where and what.
class FRAMEWORK_EXPORT EDefinitionError : public Exception {
public:
    // Message: "<source>:<line>:<column>: <path>: <what>", parts left out
    // when unknown.
    EDefinitionError(QString source, int line, int column, QString path, QString what);
    const QString& Source() const { return source_; }
    int Line() const { return line_; }
    int Column() const { return column_; }
    const QString& Path() const { return path_; }
    const QString& What() const { return what_; }

private:
    QString source_;
    int line_;
    int column_;
    QString path_;
    QString what_;
};
