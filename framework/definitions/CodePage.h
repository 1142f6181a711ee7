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

// True when `bytes`, meant as Windows-1252, are UTF-8 instead: they hold
// bytes above 127 and every one of them belongs to a well-formed UTF-8
// sequence. Windows-1252 text practically never does, as its accented
// letters are followed by plain letters, not by the bytes 0x80 to 0xBF that
// continue a UTF-8 sequence: "Relat\xF3rio" is Windows-1252, "Relat\xC3\xB3rio"
// is UTF-8 (shown as "RelatÃ³rio"). The one doubt left is an upper-case
// accented letter right before a symbol of 0x80 to 0xBF ("Ã»"), which such
// text writes with #nnn codes instead.
FRAMEWORK_EXPORT bool IsUtf8Text(const QByteArray& bytes);
