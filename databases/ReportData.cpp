#include "ReportData.h"

#include <QByteArray>
#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <string>

// The texts of a ReportData: copied into large blocks that never move, and a
// text that a column already holds is stored once. A column that turns out
// to hold mostly different texts (a time stamp, say) stops being looked up:
// its table is let go once it has kept kMostKept texts, so the tables never
// take more than 64 KiB a column, however many different texts come.
class ReportData::Texts {
public:
    Texts(std::size_t columns, std::shared_ptr<SpillFile> spill)
        : columns_(columns), spill_(spill ? std::move(spill) : std::make_shared<SpillFile>()) {}
    ~Texts() {
        for (const Block& block : blocks_) spill_->Give(block.data, block.bytes);
    }
    Texts(const Texts&) = delete;
    Texts& operator=(const Texts&) = delete;

    const char* Store(std::size_t column, std::string_view text) {
        if (text.empty()) return "";
        Column& known = columns_[column];
        if (text.size() == known.lastSize && std::memcmp(text.data(), known.last, text.size()) == 0)
            return known.last;
        const char* stored = known.varied ? Copy(text) : Find(known, text);
        known.last = stored;
        known.lastSize = text.size();
        return stored;
    }

private:
    static constexpr std::size_t kSlots = 4096;
    static constexpr std::size_t kMostKept = kSlots / 2;
    static constexpr std::size_t kBlockBytes = 256 * 1024;

    struct Slot {
        const char* text = nullptr;
        std::size_t size = 0;
    };
    struct Column {
        const char* last = nullptr;
        std::size_t lastSize = 0;
        bool varied = false;
        std::size_t kept = 0;
        std::vector<Slot> table;
    };

    static std::size_t Hash(std::string_view text) {
        std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ text.size();
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, text.data() + i, 8);
            hash = (hash ^ chunk) * 0xBF58476D1CE4E5B9ULL;
            hash ^= hash >> 29;
        }
        for (; i < text.size(); ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 0x100000001B3ULL;
        return static_cast<std::size_t>(hash ^ (hash >> 32));
    }

    const char* Find(Column& column, std::string_view text) {
        if (column.table.empty()) column.table.resize(kSlots);
        for (std::size_t at = Hash(text) & (kSlots - 1);; at = (at + 1) & (kSlots - 1)) {
            Slot& slot = column.table[at];
            if (!slot.text) break;
            if (slot.size == text.size() && std::memcmp(slot.text, text.data(), text.size()) == 0)
                return slot.text;
        }
        const char* stored = Copy(text);
        if (++column.kept >= kMostKept) {
            column.varied = true;
            std::vector<Slot>().swap(column.table);
            return stored;
        }
        for (std::size_t at = Hash(text) & (kSlots - 1);; at = (at + 1) & (kSlots - 1))
            if (!column.table[at].text) {
                column.table[at] = {stored, text.size()};
                break;
            }
        return stored;
    }

    const char* Copy(std::string_view text) {
        if (text.size() > left_) {
            const std::size_t bytes = std::max(kBlockBytes, text.size());
            blocks_.reserve(blocks_.size() + 1);
            free_ = static_cast<char*>(spill_->Take(bytes));
            blocks_.push_back({free_, bytes});
            left_ = bytes;
        }
        char* copy = free_;
        std::memcpy(copy, text.data(), text.size());
        free_ += text.size();
        left_ -= text.size();
        return copy;
    }

    struct Block {
        char* data;
        std::size_t bytes;
    };

    std::vector<Column> columns_;
    std::shared_ptr<SpillFile> spill_;
    std::vector<Block> blocks_;
    char* free_ = nullptr;
    std::size_t left_ = 0;
};

bool ReportCell::SameValue(const ReportCell& other) const {
    if (type != other.type) return false;
    switch (type) {
        case Type::Null:
            return true;
        case Type::Integer:
            return integer == other.integer;
        case Type::Real:
            return real == other.real;
        default:
            return Text() == other.Text();
    }
}

ReportCell ReportCell::FromVariant(const QVariant& value, QByteArray& storage) {
    ReportCell cell;
    if (value.isNull()) return cell;
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
            cell.type = Type::Integer;
            cell.integer = value.toLongLong();
            return cell;
        case QMetaType::ULongLong:
            if (value.toULongLong() <= static_cast<qulonglong>(INT64_MAX)) {
                cell.type = Type::Integer;
                cell.integer = value.toLongLong();
                return cell;
            }
            [[fallthrough]];
        case QMetaType::Double:
        case QMetaType::Float:
            cell.type = Type::Real;
            cell.real = value.toDouble();
            return cell;
        case QMetaType::QByteArray:
            storage = value.toByteArray();
            cell.type = Type::Blob;
            break;
        case QMetaType::QDate:
            storage = value.toDate().toString(Qt::ISODate).toUtf8();
            cell.type = Type::Text;
            break;
        case QMetaType::QDateTime:
            storage = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            cell.type = Type::Text;
            break;
        default:
            storage = value.toString().toUtf8();
            cell.type = Type::Text;
    }
    cell.bytes = storage.constData();
    cell.size = static_cast<std::uint32_t>(storage.size());
    return cell;
}

QVariant ReportCell::ToVariant() const {
    switch (type) {
        case Type::Null:
            return QVariant();
        case Type::Integer:
            return QVariant::fromValue<qlonglong>(integer);
        case Type::Real:
            return real;
        case Type::Text:
            return QString::fromUtf8(bytes, static_cast<qsizetype>(size));
        case Type::Blob:
            return QByteArray(bytes, static_cast<qsizetype>(size));
    }
    return QVariant();
}

ReportData::ReportData() : spill_(std::make_shared<SpillFile>()), cells_(spill_) {}
ReportData::ReportData(QStringList fields) : ReportData() { SetFields(std::move(fields)); }
ReportData::ReportData(ReportData&&) noexcept = default;
ReportData& ReportData::operator=(ReportData&&) noexcept = default;
ReportData::~ReportData() = default;

int ReportData::FieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariantList ReportData::Row(qsizetype row) const {
    QVariantList values;
    for (int c = 0; c < ColumnCount(); ++c) values << Value(row, c);
    return values;
}

void ReportData::SetFields(QStringList fields) {
    fields_ = std::move(fields);
    columns_ = static_cast<std::size_t>(fields_.size());
    texts_ = std::make_unique<Texts>(columns_, spill_);
}

// After the first few rows the clock is looked at every 16th only: on fast
// rows it would cost more than the rows.
bool ReportData::PublishIfDue() {
    constexpr std::size_t kRows = 256;
    constexpr std::size_t kLookEvery = 16;
    constexpr auto kWait = std::chrono::milliseconds(50);
    const std::size_t rows = ++rowsSincePublish_;
    if (rows == 1) publishBy_ = std::chrono::steady_clock::now() + kWait;
    const bool look = rows < kLookEvery || rows % kLookEvery == 0;
    const bool due = rows >= kRows || (look && std::chrono::steady_clock::now() >= publishBy_);
    if (!due) return false;
    Publish();
    rowsSincePublish_ = 0;
    return true;
}

void ReportData::AddInteger(std::int64_t value) {
    ReportCell cell;
    cell.type = ReportCell::Type::Integer;
    cell.integer = value;
    cells_.PushBack(cell);
}

void ReportData::AddReal(double value) {
    ReportCell cell;
    cell.type = ReportCell::Type::Real;
    cell.real = value;
    cells_.PushBack(cell);
}

void ReportData::AddText(std::string_view utf8) { AddStored(utf8, ReportCell::Type::Text); }
void ReportData::AddBlob(std::string_view bytes) { AddStored(bytes, ReportCell::Type::Blob); }

std::size_t KeptCellBytes(std::string_view utf8) {
    if (utf8.size() <= kMaxCellBytes) return utf8.size();
    std::size_t kept = kMaxCellBytes;
    while (kept > 0 && (static_cast<unsigned char>(utf8[kept]) & 0xC0) == 0x80) --kept;
    return kept;
}

void ReportData::AddStored(std::string_view bytes, ReportCell::Type type) {
    const std::size_t kept = KeptCellBytes(bytes);
    std::string cut;
    if (kept < bytes.size()) {
        cut.reserve(kept + 3);
        cut.append(bytes.data(), kept).append("\xE2\x80\xA6");  // "…"
        bytes = cut;
    }
    ReportCell cell;
    cell.type = type;
    cell.bytes = texts_->Store(cells_.Size() % columns_, bytes);
    cell.size = static_cast<std::uint32_t>(bytes.size());
    cells_.PushBack(cell);
}

void ReportData::AddVariant(const QVariant& value) {
    QByteArray storage;
    const ReportCell cell = ReportCell::FromVariant(value, storage);
    if (cell.type == ReportCell::Type::Text || cell.type == ReportCell::Type::Blob)
        return AddStored(cell.Text(), cell.type);
    cells_.PushBack(cell);
}

void ReportData::AddRow(const QVariantList& values) {
    for (const QVariant& value : values) AddVariant(value);
}
