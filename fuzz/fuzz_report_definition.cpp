// libFuzzer target for the report definitions: any bytes must either give a
// report or raise EDefinitionError, never crash. A report that reads must
// write and read back the same, and its query's parameters must be found
// the same way whichever way they are asked for.
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DefinitionReader.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"

namespace {

// What the writer cannot write comes back as '?': U+0080 to U+009F where
// Windows-1252 puts another character at that byte.
QString AsWritten(const QString& text) {
    QString written = text;
    for (QChar& c : written) {
        const char16_t code = c.unicode();
        if (code >= 0x80 && code <= 0x9F && FromWindows1252(QByteArray(1, char(code))).at(0) != c)
            c = u'?';
    }
    return written;
}

bool SameColumns(const QList<ReportColumn>& written, const QList<ReportColumn>& read) {
    if (written.size() != read.size()) return false;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const ReportColumn& a = written[i];
        const ReportColumn& b = read[i];
        if (AsWritten(a.fieldName) != b.fieldName || AsWritten(a.header) != b.header ||
            a.width != b.width || a.alignment != b.alignment || a.format != b.format ||
            a.total != b.total)
            return false;
    }
    return true;
}

void CheckRoundTrip(const ReportDefinition& report) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.rpt"));
    report.Write(path);
    const ReportDefinition again = ReportDefinition::Read(path);
    if (again.code != AsWritten(report.code) || again.title != AsWritten(report.title) ||
        again.sql != AsWritten(report.sql) || again.groupField != AsWritten(report.groupField) ||
        !SameColumns(report.columns, again.columns))
        std::abort();
}

void CheckParameters(const QString& sql) {
    const QStringList names = QueryParamNames(sql);
    const PositionalQuery positional = ToPositional(sql);
    for (const QString& binding : positional.bindings)
        if (!names.contains(binding, Qt::CaseInsensitive)) std::abort();
    if (positional.sql.count(u'?') < positional.bindings.size()) std::abort();
    if (names.isEmpty() != positional.bindings.isEmpty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReportDefinition report;
    try {
        report = ReportDefinition::ReadFromText(text, QStringLiteral("fuzz.rpt"));
    } catch (const EDefinitionError&) {
        return 0;
    }
    CheckParameters(report.sql);
    CheckRoundTrip(report);
    return 0;
}
