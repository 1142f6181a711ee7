#include "SqliteRows.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <QDir>
#include <QSqlDriver>
#include <memory>
#include <string_view>
#include <thread>

#include "DatabaseError.h"
#include "DatabaseMessages.h"
#include "QueryGuard.h"
#include "BoundQuery.h"
#include "SysUtils.h"

namespace {

// Looks up an SQLite function as the driver's plugin sees it: through its
// own dependencies, in load order. The same address as ours means the same
// library; a plugin with SQLite built in finds its own copy or none.
bool PluginUsesOurSqlite(const QSqlDriver& driver) {
    Dl_info info{};
    if (!dladdr(driver.metaObject(), &info) || !info.dli_fname) return false;
    void* plugin = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!plugin) return false;
    void* theirs = dlsym(plugin, "sqlite3_libversion_number");
    dlclose(plugin);
    return theirs == reinterpret_cast<void*>(&sqlite3_libversion_number);
}

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

using Clock = std::chrono::steady_clock;

// The wait for another program's lock, as SQLite's busy handler.
struct LockWait {
    const QueryLimits& limits;
    Clock::time_point deadline;
    Clock::time_point giveUp{};
    bool timeLimit = false;  // the time limit ended it
};

// Small sleeps, so that a cancel is seen within a few milliseconds.
int WaitForLock(void* context, int attempt) {
    auto* wait = static_cast<LockWait*>(context);
    const auto now = Clock::now();
    if (attempt == 0) wait->giveUp = now + kLockWait;
    if (wait->limits.cancel && wait->limits.cancel->load()) return 0;
    if (now >= wait->deadline) {
        wait->timeLimit = true;
        return 0;
    }
    if (now >= wait->giveUp) return 0;
    if (wait->limits.waiting) wait->limits.waiting->store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 1;
}

// The lock wait is set up for one query and taken off after it: with none,
// SQLite does not wait at all (how the report connections are opened).
class LockWaitScope {
public:
    LockWaitScope(sqlite3* handle, const QueryLimits& limits)
        : handle_(handle),
          wait_{limits, limits.timeLimit.count() > 0 ? Clock::now() + limits.timeLimit : Clock::time_point::max()} {
        sqlite3_busy_handler(handle_, WaitForLock, &wait_);
    }
    ~LockWaitScope() { sqlite3_busy_handler(handle_, nullptr, nullptr); }
    LockWaitScope(const LockWaitScope&) = delete;
    LockWaitScope& operator=(const LockWaitScope&) = delete;
    const LockWait& Wait() const { return wait_; }

private:
    sqlite3* handle_;
    LockWait wait_;
};

// A failure that a lock, the time limit or the cap on values caused names
// that cause.
[[noreturn]] void Failure(const QString& what, sqlite3* handle, const LockWaitScope& lock) {
    const int code = sqlite3_errcode(handle);
    if (code == SQLITE_TOOBIG) throw EDatabaseError(ReportValueTooBigMessage(lock.Wait().limits.source));
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        if (lock.Wait().timeLimit)
            throw Exception(QueryTimeLimitMessage(lock.Wait().limits.source, lock.Wait().limits.timeLimit));
        throw EDatabaseError(DatabaseLockedMessage(QString::fromUtf8(sqlite3_db_filename(handle, "main"))));
    }
    throw EDatabaseError(
        SqliteFailure(what, sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle))));
}

// As Qt's driver: a null text or an invalid value is NULL.
int Bind(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return sqlite3_bind_int64(statement, index, value.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(statement, index, value.toDouble());
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return sqlite3_bind_blob64(statement, index, bytes.constData(),
                                       static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
        }
        default:
            break;
    }
    const QString text = value.toString();
    if (text.isNull()) return sqlite3_bind_null(statement, index);
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text64(statement, index, utf8.constData(),
                               static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// SQLite says "no such table: NAME" when it prepares a query on a database
// that is not the reports' (or not yet filled): that cause is named.
[[noreturn]] void PrepareFailure(sqlite3* handle, const LockWaitScope& lock) {
    static constexpr std::string_view noTable = "no such table: ";
    const std::string_view said = sqlite3_errmsg(handle);
    if (said.starts_with(noTable)) {
        const std::string_view table = said.substr(noTable.size());
        throw EDatabaseError(MissingTableMessage(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())),
                                            QString::fromUtf8(sqlite3_db_filename(handle, "main"))));
    }
    Failure(QStringLiteral("Erro na consulta do relatório"), handle, lock);
}

Statement Prepare(sqlite3* handle, const PositionalQuery& query, const QVariantList& values,
                  const LockWaitScope& lock) {
    const QByteArray sql = query.sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        PrepareFailure(handle, lock);
    Statement statement(raw);
    for (int i = 0; i < values.size(); ++i)
        if (Bind(raw, i + 1, values[i]) != SQLITE_OK)
            Failure(QStringLiteral("Erro na consulta do relatório"), handle, lock);
    return statement;
}

std::string_view Bytes(sqlite3_stmt* statement, int column, const void* data) {
    return {static_cast<const char*>(data), static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

void AddCell(sqlite3_stmt* statement, int column, ReportData& data) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return data.AddInteger(sqlite3_column_int64(statement, column));
        case SQLITE_FLOAT:
            return data.AddReal(sqlite3_column_double(statement, column));
        case SQLITE_NULL:
            return data.AddNull();
        case SQLITE_BLOB:
            return data.AddBlob(Bytes(statement, column, sqlite3_column_blob(statement, column)));
        default:
            return data.AddText(Bytes(statement, column, sqlite3_column_text(statement, column)));
    }
}

QStringList ColumnNames(sqlite3_stmt* statement) {
    QStringList names;
    for (int c = 0; c < sqlite3_column_count(statement); ++c)
        names << QString::fromUtf8(sqlite3_column_name(statement, c));
    return names;
}

}  // namespace

sqlite3* SharedSqliteHandle(const QSqlDatabase& db) {
    const QSqlDriver* driver = db.driver();
    if (!driver || !db.isOpen()) return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    static const bool shared = PluginUsesOurSqlite(*driver);
    return shared ? *static_cast<sqlite3* const*>(handle.constData()) : nullptr;
}

void LimitReportValues(const QSqlDatabase& db) {
    if (sqlite3* handle = SharedSqliteHandle(db)) sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, kMaxReportValueBytes);
}

QString ReportValueTooBigMessage(const QString& source) {
    return QStringLiteral("A consulta do relatório%1 foi interrompida: um valor passou do tamanho "
                          "máximo de %2 MB que um relatório aceita (string or blob too big).")
        .arg(source.isEmpty() ? QString() : u' ' + QDir::toNativeSeparators(source))
        .arg(kMaxReportValueBytes / (1024 * 1024));
}

void ReadSqliteRows(sqlite3* handle, const PositionalQuery& query, const QVariantList& values,
                    ReportData& data, const std::function<void()>& batch, const QueryLimits& limits) {
    const LockWaitScope lock(handle, limits);
    const Statement statement = Prepare(handle, query, values, lock);
    sqlite3_stmt* raw = statement.get();
    data.SetFields(ColumnNames(raw));
    const int columns = data.ColumnCount();
    int step = sqlite3_step(raw);
    if (limits.waiting) limits.waiting->store(false);
    for (; step == SQLITE_ROW; step = sqlite3_step(raw)) {
        for (int c = 0; c < columns; ++c) AddCell(raw, c, data);
        if (data.PublishIfDue() && batch) batch();
    }
    if (step != SQLITE_DONE)
        Failure(data.FilledRows() == 0 ? QStringLiteral("Erro ao executar a consulta do relatório")
                                       : QStringLiteral("Erro ao ler o resultado do relatório"),
                handle, lock);
    data.Publish();
    if (batch) batch();
}
