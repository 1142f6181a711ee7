#pragma once

#include <QString>
#include <QStringList>
#include <exception>

#include "Export.h"

// The exception family that handlers raise. A message is kept as Unicode text
// and as UTF-8 for what().
class FRAMEWORK_EXPORT Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Ends the current user action silently: the event dispatch point swallows it.
class FRAMEWORK_EXPORT EAbort : public Exception {
public:
    EAbort();
};

// A text that is not a valid date or number.
class FRAMEWORK_EXPORT EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A database, dataset or parameter failure.
class FRAMEWORK_EXPORT EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] FRAMEWORK_EXPORT void Abort();

// Fills a pattern's placeholders in order: %s with the next text, %d with
// the next text as written; %% is a percent sign. Missing arguments leave
// their placeholder empty; extra ones are ignored.
FRAMEWORK_EXPORT QString Format(const QString& pattern, const QStringList& args);
