#include "SqliteRows.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <QSqlDriver>
#include <memory>
#include <string_view>

#include "DatabaseError.h"
#include "DatabaseMessages.h"
#include "ReportQuery.h"
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

[[noreturn]] void Failure(const QString& what, sqlite3* handle) {
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
[[noreturn]] void PrepareFailure(sqlite3* handle) {
    static constexpr std::string_view noTable = "no such table: ";
    const std::string_view said = sqlite3_errmsg(handle);
    if (said.starts_with(noTable)) {
        const std::string_view table = said.substr(noTable.size());
        throw EDatabaseError(MissingTableMessage(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())),
                                            QString::fromUtf8(sqlite3_db_filename(handle, "main"))));
    }
    Failure(QStringLiteral("Erro na consulta do relatório"), handle);
}

Statement Prepare(sqlite3* handle, const PositionalQuery& query, const QVariantList& values) {
    const QByteArray sql = query.sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        PrepareFailure(handle);
    Statement statement(raw);
    for (int i = 0; i < values.size(); ++i)
        if (Bind(raw, i + 1, values[i]) != SQLITE_OK)
            Failure(QStringLiteral("Erro na consulta do relatório"), handle);
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

void ReadSqliteRows(sqlite3* handle, const PositionalQuery& query, const QVariantList& values,
                    ReportData& data, const std::function<void()>& batch) {
    const Statement statement = Prepare(handle, query, values);
    sqlite3_stmt* raw = statement.get();
    data.SetFields(ColumnNames(raw));
    const int columns = data.ColumnCount();
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(raw)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) AddCell(raw, c, data);
        if (data.PublishIfDue() && batch) batch();
    }
    if (step != SQLITE_DONE)
        Failure(data.FilledRows() == 0 ? QStringLiteral("Erro ao executar a consulta do relatório")
                                       : QStringLiteral("Erro ao ler o resultado do relatório"),
                handle);
    data.Publish();
    if (batch) batch();
}
