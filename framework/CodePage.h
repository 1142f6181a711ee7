#pragma once

#include <QByteArray>
#include <QString>

#include "Export.h"

// Windows-1252, the code page of definition files, to Unicode and back.

// Every byte has a character; the five bytes the code page leaves undefined
// keep their own value, as Windows converts them.
FRAMEWORK_EXPORT QString FromWindows1252(const QByteArray& bytes);
// Characters that code page lacks become '?', one for each character.
FRAMEWORK_EXPORT QByteArray ToWindows1252(const QString& text);
