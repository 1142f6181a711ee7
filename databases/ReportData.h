#pragma once

#include <QStringList>
#include <QVariant>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "GrowingArray.h"
#include "HostExport.h"

// One value of a query's result as a report keeps it: a number, or a view of
// UTF-8 text (or bytes) held by the ReportData it belongs to. Dates and times
// are kept as the text the database gives ('yyyy-mm-dd hh:mm:ss').
struct HOST_EXPORT ReportCell {
    enum class Type : std::uint8_t { Null, Integer, Real, Text, Blob };

    union {
        std::int64_t integer;
        double real;
        const char* bytes;
    };
    std::uint32_t size = 0;  // of the text or bytes
    Type type = Type::Null;

    ReportCell() : integer(0) {}
    std::string_view Text() const {
        return type == Type::Text || type == Type::Blob ? std::string_view(bytes, size)
                                                        : std::string_view();
    }
    // The same type and the same number or bytes.
    bool SameValue(const ReportCell& other) const;
    // A Qt value as a cell: integers and Booleans as Integer, floating point
    // numbers (and unsigned ones beyond 64-bit integers) as Real, a QDate or
    // QDateTime as its ISO text, bytes as Blob, anything else as its text;
    // texts are kept in `storage`, which must outlive the cell.
    static ReportCell FromVariant(const QVariant& value, QByteArray& storage);
    // The value as Qt's SQL drivers give it: qlonglong, double, QString,
    // QByteArray, or a null QVariant.
    QVariant ToVariant() const;
};

// The most bytes a report keeps of one text or bytes value: as much as a
// report query may make on SQLite (its report connection's length limit), so
// exports get every value as the query gave it. A longer value, which only a
// server can send, is cut where it enters the rows, at the start of a
// character, followed by an ellipsis ("…").
constexpr std::size_t kMaxCellBytes = 4 * 1024 * 1024;

// The most characters a page shows of one value: a longer one is cut to its
// first kMaxCellChars characters and "…" before it is measured or painted
// (ReportPainter), so no value can make a page slow, large or empty: a page
// has room for far fewer.
constexpr std::size_t kMaxCellChars = 500;

// The bytes of `utf8` a cell keeps: all of them, or when it holds more than
// kMaxCellBytes, those before the last character that starts within
// kMaxCellBytes (so that no UTF-8 sequence is split).
HOST_EXPORT std::size_t KeptCellBytes(std::string_view utf8);

// A query's result: the column names as the query gives them and the rows,
// held compactly (16 bytes a value; texts in large blocks, and a text that
// repeats in a column kept once; a text or bytes value of more than
// kMaxCellBytes is kept cut, as KeptCellBytes says, with "…").
//
// One thread fills it (SetFields, then cells row by row, Publish now and
// then) while other threads read the rows already published: RowCount()
// counts those, and they never change or move.
//
// The cells and texts of a large result lie in a temporary file of its own
// (Spill(), SpillFile), so the memory it holds stays about the same however
// many rows it has; adding a cell may then throw Exception when the disk is
// full. A reader that goes through every row calls GiveBackMemory() now and
// then (every few thousand rows), so what it has read does not stay in memory.
class HOST_EXPORT ReportData {
public:
    ReportData();
    explicit ReportData(QStringList fields);
    ReportData(ReportData&&) noexcept;
    ReportData& operator=(ReportData&&) noexcept;
    ~ReportData();

    const QStringList& Fields() const { return fields_; }
    int ColumnCount() const { return static_cast<int>(fields_.size()); }
    // The column of that name, without regard to case; -1 when none.
    int FieldIndex(const QString& name) const;

    // The rows published so far.
    qsizetype RowCount() const {
        return columns_ ? static_cast<qsizetype>(cells_.Published() / columns_) : 0;
    }
    const ReportCell& Cell(qsizetype row, int column) const {
        return cells_[static_cast<std::size_t>(row) * columns_ + static_cast<std::size_t>(column)];
    }
    QVariant Value(qsizetype row, int column) const { return Cell(row, column).ToVariant(); }
    QVariantList Row(qsizetype row) const;

    // Writer. Columns are given once, before the first row.
    void SetFields(QStringList fields);
    // The next cell of the row being filled, column after column.
    void AddNull() { cells_.PushBack(ReportCell()); }
    void AddInteger(std::int64_t value);
    void AddReal(double value);
    void AddText(std::string_view utf8);
    void AddBlob(std::string_view bytes);
    // A whole row from Qt values, as AddVariant for each.
    void AddRow(const QVariantList& values);
    void AddVariant(const QVariant& value);
    // The rows completed so far become visible to readers.
    void Publish() { cells_.Publish(); }
    // Called after each row by a reader of a query: publishes when a few
    // hundred rows, or 50 ms' worth of slow ones, have come since the last
    // time, and says so (the caller then tells whoever waits for them).
    bool PublishIfDue();
    // The rows completed so far, published or not.
    qsizetype FilledRows() const {
        return columns_ ? static_cast<qsizetype>(cells_.Size() / columns_) : 0;
    }

    // Any thread: drops from memory what readers have read of the file the
    // rows lie in (they stay in the file; whoever reads them again reads them
    // back). Nothing for a small result, held in memory.
    void GiveBackMemory() const {
        if (spill_) spill_->GiveBackResident();
    }
    // Where the rows' large arrays take their blocks; a report's layout takes
    // its own from the same file.
    const std::shared_ptr<SpillFile>& Spill() const { return spill_; }

private:
    class Texts;
    void AddStored(std::string_view bytes, ReportCell::Type type);

    QStringList fields_;
    std::size_t columns_ = 0;
    std::shared_ptr<SpillFile> spill_;
    GrowingArray<ReportCell> cells_;
    std::unique_ptr<Texts> texts_;
    std::size_t rowsSincePublish_ = 0;
    std::chrono::steady_clock::time_point publishBy_{};
};
