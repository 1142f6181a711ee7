#include "CodePage.h"

#include <QByteArrayView>
#include <algorithm>

namespace {

// Unicode of the Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page
// leaves undefined keep their own value, as Windows converts them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

QChar Cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return QChar(kCp1252High[byte - 0x80]);
    return QChar(char16_t(byte));
}

// The byte for one UTF-16 unit, or '?' when the code page lacks it.
char CharToCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return char(unit);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit) return char(0x80 + i);
    }
    return '?';
}

}  // namespace

QString FromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) *out++ = Cp1252ToChar(static_cast<unsigned char>(byte));
    return text;
}

QByteArray ToWindows1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the BMP is one '?', not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        bytes += c.isSurrogate() ? '?' : CharToCp1252(c.unicode());
    }
    return bytes;
}

bool IsUtf8Text(const QByteArray& bytes) {
    const bool high = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
    return high && QByteArrayView(bytes).isValidUtf8();
}
