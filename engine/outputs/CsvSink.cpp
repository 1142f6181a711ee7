#include "CsvSink.h"

#include <QIODevice>
#include <QLocale>

namespace {

// The characters that make a spreadsheet read a text as a formula.
bool LooksLikeFormula(std::string_view text) {
    return !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                             text[0] == '\t' || text[0] == '\r');
}

void AppendTwo(QByteArray& line, int number) {
    line.append(static_cast<char>('0' + number / 10 % 10));
    line.append(static_cast<char>('0' + number % 10));
}

}  // namespace

void CsvSink::Begin(const ReportSinkStart& start) {
    cellOf_ = start.cellOf;
    line_ = QByteArrayLiteral("\xEF\xBB\xBF");
    for (const ReportColumn& column : start.report.columns) {
        formats_ << ReportFormatOf(column.format);
        if (formats_.size() > 1) line_.append(';');
        Text(column.header.toUtf8().toStdString(), false);
    }
    EndLine();
}

void CsvSink::Row(const ReportCell* cells) {
    for (qsizetype i = 0; i < cellOf_.size(); ++i) {
        if (i > 0) line_.append(';');
        Field(ExportValue::Of(cells[cellOf_[i]], formats_[i]));
    }
    EndLine();
    ++rows_;
}

ReportSinkResult CsvSink::End() { return {rows_, 0, 0}; }

void CsvSink::Field(const ExportValue& value) {
    switch (value.kind) {
        case ExportValue::Kind::Empty:
            return;
        case ExportValue::Kind::Integer:
            line_.append(QByteArray::number(static_cast<qlonglong>(value.integer)));
            return;
        case ExportValue::Kind::Real:
            line_.append(QByteArray::number(value.real, 'f', QLocale::FloatingPointShortest)
                             .replace('.', ','));
            return;
        case ExportValue::Kind::Date:
            AppendTwo(line_, value.day);
            line_.append('/');
            AppendTwo(line_, value.month);
            line_.append('/');
            line_.append(QByteArray::number(value.year).rightJustified(4, '0'));
            if (!value.hasTime) return;
            line_.append(' ');
            AppendTwo(line_, value.hour);
            line_.append(':');
            AppendTwo(line_, value.minute);
            if (value.second == 0) return;
            line_.append(':');
            AppendTwo(line_, value.second);
            return;
        case ExportValue::Kind::Text:
            Text(value.text, true);
            return;
    }
}

void CsvSink::Text(std::string_view text, bool guard) {
    const bool formula = guard && LooksLikeFormula(text);
    const bool quote = formula || text.find_first_of(";\"\r\n") != std::string_view::npos;
    if (!quote) {
        line_.append(text.data(), static_cast<qsizetype>(text.size()));
        return;
    }
    line_.append('"');
    if (formula) line_.append('\'');
    for (const char c : text) {
        if (c == '"') line_.append('"');
        line_.append(c);
    }
    line_.append('"');
}

void CsvSink::EndLine() {
    line_.append("\r\n", 2);
    if (!failed_ && out_.write(line_) != line_.size()) failed_ = true;
    line_.clear();
}
