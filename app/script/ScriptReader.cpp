#include "ScriptReader.h"

namespace {

// Reads a quoted argument from just after its opening quote up to the closing
// one, which `i` ends up after; \" and \\ stand for a quote and a backslash.
QString QuotedArgument(const QString& line, qsizetype& i, int number) {
    QString part;
    while (i < line.size()) {
        const QChar c = line[i++];
        if (c == '"') return part;
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) part += line[i++];
        else part += c;
    }
    throw ScriptSyntaxError{number, QStringLiteral("aspas não fechadas")};
}

QStringList SplitArguments(const QString& line, int number) {
    QStringList parts;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i].isSpace()) ++i;
        if (i == line.size()) break;
        QString part;
        if (line[i] == '"') {
            ++i;
            part = QuotedArgument(line, i, number);
        } else {
            while (i < line.size() && !line[i].isSpace()) part += line[i++];
        }
        parts << part;
    }
    return parts;
}

}  // namespace

std::vector<ScriptLine> ReadScript(const QString& text) {
    std::vector<ScriptLine> lines;
    const QStringList rows = text.split('\n');
    for (int n = 0; n < rows.size(); ++n) {
        const QString row = rows[n].trimmed();
        if (row.isEmpty() || row.startsWith('#')) continue;
        QStringList parts = SplitArguments(row, n + 1);
        ScriptLine line{n + 1, parts.takeFirst(), parts};
        lines.push_back(line);
    }
    return lines;
}
