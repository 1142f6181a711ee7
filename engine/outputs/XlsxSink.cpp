#include "XlsxSink.h"

#include <xlsxwriter.h>

#include <QDir>
#include <cerrno>
#include <cmath>

#include "OnDemandLibrary.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

// The characters a cell holds.
constexpr qsizetype kCellCharacters = 32767;
// Columns wider than this would hide their neighbours.
constexpr int kWidestColumn = 80;
// Whole numbers a spreadsheet's numbers hold exactly.
constexpr std::int64_t kExactWhole = std::int64_t{1} << 53;

// Whether `text` is well-formed UTF-8 without control characters (other than
// tab, LF and CR) and of at most kCellCharacters characters, with its count
// of characters.
bool FitsAsIs(std::string_view text, qsizetype& characters) {
    characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return false;
            ++i;
            continue;
        }
        const int length = byte >= 0xF0 && byte < 0xF5   ? 4
                           : byte >= 0xE0                ? 3
                           : byte >= 0xC2 && byte < 0xE0 ? 2
                                                         : 0;
        if (length == 0 || (length == 3 && byte >= 0xF0) || i + length > text.size()) return false;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(length);
    }
    return characters <= kCellCharacters;
}

QString SheetName(int number) {
    return number == 1 ? QStringLiteral("Dados") : QStringLiteral("Dados (%1)").arg(number);
}

// "A", "B", ... "Z", "AA", ...
QString ColumnLetters(int column) {
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

// The characters of a whole number, its sign included.
int Digits(std::int64_t value) {
    int digits = value < 0 ? 2 : 1;
    for (std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
         rest >= 10; rest /= 10)
        ++digits;
    return digits;
}

int Digits(double value) {
    return std::fabs(value) < 9.2e18 ? Digits(static_cast<std::int64_t>(value)) : 20;
}

// libxlsxwriter's functions, from the library opened when the first
// workbook is begun: a run that exports nothing loads neither it nor what it
// pulls in (OpenSSL). All or none: `loaded` says which.
struct XlsxLibrary {
    decltype(::format_set_bold)* format_set_bold = nullptr;
    decltype(::format_set_num_format)* format_set_num_format = nullptr;
    decltype(::lxw_strerror)* lxw_strerror = nullptr;
    decltype(::lxw_workbook_free)* lxw_workbook_free = nullptr;
    decltype(::workbook_add_format)* workbook_add_format = nullptr;
    decltype(::workbook_add_worksheet)* workbook_add_worksheet = nullptr;
    decltype(::workbook_close)* workbook_close = nullptr;
    decltype(::workbook_new_opt)* workbook_new_opt = nullptr;
    decltype(::worksheet_autofilter)* worksheet_autofilter = nullptr;
    decltype(::worksheet_freeze_panes)* worksheet_freeze_panes = nullptr;
    decltype(::worksheet_set_column)* worksheet_set_column = nullptr;
    decltype(::worksheet_write_datetime)* worksheet_write_datetime = nullptr;
    decltype(::worksheet_write_formula_num)* worksheet_write_formula_num = nullptr;
    decltype(::worksheet_write_number)* worksheet_write_number = nullptr;
    decltype(::worksheet_write_string)* worksheet_write_string = nullptr;
    bool loaded = false;
};

constexpr OnDemandLibrary kXlsxWriter("libxlsxwriter.so.4");

const XlsxLibrary& Xlsx() {
    static const XlsxLibrary library = [] {
        const OnDemandLibrary& x = kXlsxWriter;
        XlsxLibrary f;
        f.loaded = x.Bind(f.format_set_bold, "format_set_bold") &&
                   x.Bind(f.format_set_num_format, "format_set_num_format") &&
                   x.Bind(f.lxw_strerror, "lxw_strerror") &&
                   x.Bind(f.lxw_workbook_free, "lxw_workbook_free") &&
                   x.Bind(f.workbook_add_format, "workbook_add_format") &&
                   x.Bind(f.workbook_add_worksheet, "workbook_add_worksheet") &&
                   x.Bind(f.workbook_close, "workbook_close") &&
                   x.Bind(f.workbook_new_opt, "workbook_new_opt") &&
                   x.Bind(f.worksheet_autofilter, "worksheet_autofilter") &&
                   x.Bind(f.worksheet_freeze_panes, "worksheet_freeze_panes") &&
                   x.Bind(f.worksheet_set_column, "worksheet_set_column") &&
                   x.Bind(f.worksheet_write_datetime, "worksheet_write_datetime") &&
                   x.Bind(f.worksheet_write_formula_num, "worksheet_write_formula_num") &&
                   x.Bind(f.worksheet_write_number, "worksheet_write_number") &&
                   x.Bind(f.worksheet_write_string, "worksheet_write_string");
        return f.loaded ? f : XlsxLibrary{};
    }();
    return library;
}

lxw_format* NumberFormat(lxw_workbook* book, ReportFormat format, bool bold) {
    lxw_format* result = Xlsx().workbook_add_format(book);
    if (bold) Xlsx().format_set_bold(result);
    if (format == ReportFormat::Integer) Xlsx().format_set_num_format(result, "#,##0");
    if (format == ReportFormat::Float2) Xlsx().format_set_num_format(result, "#,##0.00");
    return result;
}

}  // namespace

XlsxSink::XlsxSink(QString path, QString shown, qint64 rowsPerSheet)
    : path_(std::move(path)),
      shown_(std::move(shown)),
      rowsPerSheet_(std::max<qint64>(1, std::min(rowsPerSheet, kSheetRows))) {}

XlsxSink::~XlsxSink() { Abort(); }

void XlsxSink::Begin(const ReportSinkStart& start) {
    start_ = start;
    if (!Xlsx().loaded)
        Fail(QStringLiteral("a biblioteca de planilhas (%1) não está instalada")
                 .arg(QString::fromLatin1(kXlsxWriter.File())));
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray native = QFile::encodeName(path_);
    book_ = Xlsx().workbook_new_opt(native.constData(), &options);
    if (!book_) Fail(QStringLiteral("sem memória para a planilha"));
    bold_ = Xlsx().workbook_add_format(book_);
    Xlsx().format_set_bold(bold_);
    date_ = Xlsx().workbook_add_format(book_);
    Xlsx().format_set_num_format(date_, "dd/mm/yyyy");
    dateTime_ = Xlsx().workbook_add_format(book_);
    Xlsx().format_set_num_format(dateTime_, "dd/mm/yyyy hh:mm");
    for (qsizetype i = 0; i < start.report.columns.size(); ++i) {
        const ReportColumn& definition = start.report.columns[i];
        Column column;
        column.format = ReportFormatOf(definition.format);
        column.total = definition.total;
        column.cell = start.cellOf[i];
        column.width = static_cast<int>(definition.header.size()) + 2;
        column.number = NumberFormat(book_, column.format, false);
        columns_.push_back(column);
    }
    NewSheet();
}

void XlsxSink::NewSheet() {
    const QString name = SheetName(static_cast<int>(sheets_.size()) + 1);
    lxw_worksheet* sheet = Xlsx().workbook_add_worksheet(book_, name.toUtf8().constData());
    if (!sheet)
        Fail(QStringLiteral("não foi possível criar o arquivo temporário da planilha em %1")
                 .arg(QDir::toNativeSeparators(QDir::tempPath())));
    sheets_.push_back({name, sheet, 0});
    for (std::size_t i = 0; i < columns_.size(); ++i)
        Xlsx().worksheet_write_string(
            sheet, 0, static_cast<lxw_col_t>(i),
            start_.report.columns[static_cast<qsizetype>(i)].header.toUtf8().constData(), bold_);
    Xlsx().worksheet_freeze_panes(sheet, 1, 0);
}

void XlsxSink::Row(const ReportCell* cells) {
    if (sheets_.back().rows == rowsPerSheet_) NewSheet();
    ++sheets_.back().rows;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        Write(static_cast<int>(i), ExportValue::Of(cells[columns_[i].cell], columns_[i].format));
    ++rows_;
}

void XlsxSink::Write(int index, const ExportValue& value) {
    Column& column = columns_[static_cast<std::size_t>(index)];
    lxw_worksheet* sheet = sheets_.back().sheet;
    const auto row = static_cast<lxw_row_t>(sheets_.back().rows);
    const auto col = static_cast<lxw_col_t>(index);
    switch (value.kind) {
        case ExportValue::Kind::Empty:
            return;
        case ExportValue::Kind::Integer:
            if (value.integer > kExactWhole || value.integer < -kExactWhole)
                return WriteText(
                    index, QByteArray::number(static_cast<qlonglong>(value.integer)).toStdString());
            column.sum += static_cast<double>(value.integer);
            column.width = std::max(column.width, Digits(value.integer) + 2);
            Xlsx().worksheet_write_number(sheet, row, col, static_cast<double>(value.integer),
                                   column.number);
            return;
        case ExportValue::Kind::Real:
            // The file format has no infinity: written as the text "inf".
            if (!std::isfinite(value.real))
                return WriteText(index, QByteArray::number(value.real).toStdString());
            column.sum += value.real;
            column.width = std::max(column.width, Digits(value.real) + 4);
            Xlsx().worksheet_write_number(sheet, row, col, value.real, column.number);
            return;
        case ExportValue::Kind::Date: {
            // A spreadsheet's dates start in 1900; an earlier one stays the
            // text the database gave.
            if (value.year < 1900) return WriteText(index, value.text);
            lxw_datetime when{value.year, value.month,  value.day,
                              value.hour, value.minute, static_cast<double>(value.second)};
            column.width = std::max(column.width, value.hasTime ? 17 : 11);
            Xlsx().worksheet_write_datetime(sheet, row, col, &when, value.hasTime ? dateTime_ : date_);
            return;
        }
        case ExportValue::Kind::Text:
            return WriteText(index, value.text);
    }
}

// As it came when it fits a cell; else made fit (see the class).
void XlsxSink::WriteText(int index, std::string_view text) {
    Column& column = columns_[static_cast<std::size_t>(index)];
    qsizetype characters = 0;
    if (FitsAsIs(text, characters)) {
        text_.assign(text);
    } else {
        QString fixed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        for (QChar& c : fixed)
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                c = QChar::ReplacementCharacter;
        if (fixed.size() > kCellCharacters) {
            qsizetype keep = kCellCharacters - 1;
            if (fixed[keep - 1].isHighSurrogate()) --keep;
            fixed = fixed.left(keep) + QChar(0x2026);
            ++cut_;
        }
        characters = fixed.size();
        text_ = fixed.toStdString();
    }
    column.width = std::max(column.width,
                            static_cast<int>(std::min<qsizetype>(characters + 2, kWidestColumn)));
    Xlsx().worksheet_write_string(sheets_.back().sheet, static_cast<lxw_row_t>(sheets_.back().rows),
                           static_cast<lxw_col_t>(index), text_.c_str(), nullptr);
}

ReportSinkResult XlsxSink::End() {
    const bool anyTotal =
        std::any_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.total; });
    if (anyTotal && sheets_.back().rows == rowsPerSheet_) NewSheet();
    FinishSheets();  // before the totals: a filter may not end above the last row written
    if (anyTotal) WriteTotals();
    WriteAbout();
    const ReportSinkResult result{rows_, static_cast<int>(sheets_.size()), cut_};
    errno = 0;
    const lxw_error error = Xlsx().workbook_close(book_);
    const int reason = errno;
    book_ = nullptr;
    if (error != LXW_NO_ERROR)
        Fail(reason != 0 ? SystemReason(reason) : QString::fromUtf8(Xlsx().lxw_strerror(error)));
    return result;
}

// The row after the last sheet's rows: "Total" in the first column when it
// is not summed, and each summed column's SUBTOTAL over every sheet's rows.
void XlsxSink::WriteTotals() {
    Sheet& last = sheets_.back();
    const auto row = static_cast<lxw_row_t>(last.rows + 1);
    if (!columns_.front().total) Xlsx().worksheet_write_string(last.sheet, row, 0, "Total", bold_);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& column = columns_[i];
        if (!column.total) continue;
        const QString letters = ColumnLetters(static_cast<int>(i));
        QStringList ranges;
        for (const Sheet& sheet : sheets_)
            if (sheet.rows > 0)
                ranges << QStringLiteral("'%1'!%2%3:%2%4")
                              .arg(sheet.name, letters)
                              .arg(2)
                              .arg(sheet.rows + 1);
        const auto col = static_cast<lxw_col_t>(i);
        lxw_format* format = NumberFormat(book_, column.format, true);
        if (ranges.isEmpty())
            Xlsx().worksheet_write_number(last.sheet, row, col, 0, format);
        else
            Xlsx().worksheet_write_formula_num(
                last.sheet, row, col,
                QStringLiteral("=SUBTOTAL(9,%1)").arg(ranges.join(u',')).toUtf8().constData(),
                format, column.sum);
        Xlsx().worksheet_set_column(
            last.sheet, col, col,
            std::min(std::max(column.width, Digits(column.sum) + 4) + 1, kWidestColumn), nullptr);
    }
}

void XlsxSink::FinishSheets() {
    const auto lastColumn = static_cast<lxw_col_t>(columns_.size() - 1);
    for (const Sheet& sheet : sheets_) {
        Xlsx().worksheet_autofilter(sheet.sheet, 0, 0, static_cast<lxw_row_t>(sheet.rows), lastColumn);
        for (std::size_t i = 0; i < columns_.size(); ++i)
            Xlsx().worksheet_set_column(sheet.sheet, static_cast<lxw_col_t>(i), static_cast<lxw_col_t>(i),
                                 std::min(columns_[i].width + 1, kWidestColumn), nullptr);
    }
}

void XlsxSink::WriteAbout() {
    lxw_worksheet* sheet = Xlsx().workbook_add_worksheet(book_, "Parâmetros");
    if (!sheet) Fail(QStringLiteral("não foi possível criar o arquivo temporário da planilha"));
    lxw_row_t row = 0;
    int width = 10;
    const auto line = [&](const QString& item) {
        Xlsx().worksheet_write_string(sheet, row, 0, item.toUtf8().constData(), bold_);
        return row++;
    };
    const auto text = [&](const QString& item, const QString& value) {
        Xlsx().worksheet_write_string(sheet, line(item), 1, value.toUtf8().constData(), nullptr);
        width = std::max(width, static_cast<int>(value.size()));
    };
    const auto number = [&](const QString& item, qint64 value) {
        Xlsx().worksheet_write_number(sheet, line(item), 1, static_cast<double>(value), nullptr);
    };
    text(QStringLiteral("Relatório"), start_.report.title);
    for (const auto& [item, value] : start_.about) text(item, value);
    number(QStringLiteral("Linhas"), rows_);
    number(QStringLiteral("Planilhas de dados"), static_cast<qint64>(sheets_.size()));
    if (cut_ > 0) number(QStringLiteral("Textos cortados em 32.767 caracteres"), cut_);
    const QDate day = start_.made.date();
    const QTime time = start_.made.time();
    lxw_datetime made{day.year(),  day.month(),   day.day(),
                      time.hour(), time.minute(), static_cast<double>(time.second())};
    Xlsx().worksheet_write_datetime(sheet, line(QStringLiteral("Gerado em")), 1, &made, dateTime_);
    text(QStringLiteral("Usuário"), start_.user);
    Xlsx().worksheet_set_column(sheet, 0, 0, 36, nullptr);
    Xlsx().worksheet_set_column(sheet, 1, 1, std::min(width + 2, kWidestColumn), nullptr);
}

void XlsxSink::Abort() {
    if (book_) Xlsx().lxw_workbook_free(book_);
    book_ = nullptr;
}

void XlsxSink::Fail(const QString& reason) {
    Abort();
    throw Exception(QStringLiteral("Não foi possível gravar %1: %2.")
                        .arg(QDir::toNativeSeparators(shown_), reason));
}
