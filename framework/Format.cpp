#include "SysUtils.h"

QString Format(const QString& pattern, const QStringList& args) {
    QString result;
    result.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        const QChar kind = pattern[++i];
        if (kind == 's' || kind == 'd') {
            if (next < args.size()) result += args[next];
            ++next;
        } else if (kind == '%') {
            result += '%';
        } else {
            result += c;
            result += kind;
        }
    }
    return result;
}
