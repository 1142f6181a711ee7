#include "SqliteGuard.h"

#include <sqlite3.h>

#include <QDir>
#include <QSet>
#include <QSqlDriver>
#include <iterator>
#include <utility>

#include "QueryGuard.h"
#include "SysUtils.h"

struct SqliteGuard::State {
    enum class Stop { None, Refused, Cancelled, TimeLimit };

    QString source;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::milliseconds timeLimit{0};
    std::chrono::steady_clock::time_point deadline;
    bool inTransactionBefore = false;
    Stop stop = Stop::None;
    QString attempt;               // what the refused statement tried
    QString function;              // ... when it was calling a function not allowed
    void* handle = nullptr;        // the connection's sqlite3*
    bool attemptInternal = false;  // ... to one of SQLite's own tables

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

namespace {

using Stop = SqliteGuard::State::Stop;

// SQLite counts VM steps between calls of the progress handler: a few
// thousand steps take well under a millisecond, and the handler's clock read
// is lost among them.
constexpr int kStepsBetweenChecks = 4000;

sqlite3* SqliteHandle(QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

QString Text(const char* name) { return QString::fromUtf8(name ? name : ""); }

QString CreateOrDrop(int action, const QString& name) {
    switch (action) {
        case SQLITE_CREATE_INDEX:
        case SQLITE_CREATE_TEMP_INDEX:
            return QStringLiteral("criar o índice ") + name;
        case SQLITE_CREATE_TABLE:
        case SQLITE_CREATE_TEMP_TABLE:
            return QStringLiteral("criar a tabela ") + name;
        case SQLITE_CREATE_TRIGGER:
        case SQLITE_CREATE_TEMP_TRIGGER:
            return QStringLiteral("criar o gatilho ") + name;
        case SQLITE_CREATE_VIEW:
        case SQLITE_CREATE_TEMP_VIEW:
            return QStringLiteral("criar a visão ") + name;
        case SQLITE_CREATE_VTABLE:
            return QStringLiteral("criar a tabela virtual ") + name;
        case SQLITE_DROP_INDEX:
        case SQLITE_DROP_TEMP_INDEX:
            return QStringLiteral("apagar o índice ") + name;
        case SQLITE_DROP_TABLE:
        case SQLITE_DROP_TEMP_TABLE:
            return QStringLiteral("apagar a tabela ") + name;
        case SQLITE_DROP_TRIGGER:
        case SQLITE_DROP_TEMP_TRIGGER:
            return QStringLiteral("apagar o gatilho ") + name;
        case SQLITE_DROP_VIEW:
        case SQLITE_DROP_TEMP_VIEW:
            return QStringLiteral("apagar a visão ") + name;
        case SQLITE_DROP_VTABLE:
            return QStringLiteral("apagar a tabela virtual ") + name;
        default:
            return {};
    }
}

// Whether a statement of the connection is between its first step and its
// end: VACUUM attaches its target while it runs, ATTACH while it is prepared.
bool StatementRunning(sqlite3* handle) {
    for (sqlite3_stmt* statement = sqlite3_next_stmt(handle, nullptr); statement;
         statement = sqlite3_next_stmt(handle, statement))
        if (sqlite3_stmt_busy(statement)) return true;
    return false;
}

// What a refused statement tried, in the user's words ("apagar a tabela
// vendas"); `a` and `b` are the authorizer's two details of the action.
QString Attempt(int action, const char* a, const char* b, sqlite3* handle) {
    const QString first = Text(a);
    if (QString schema = CreateOrDrop(action, first); !schema.isEmpty()) return schema;
    switch (action) {
        case SQLITE_DELETE:
            return QStringLiteral("apagar registros da tabela ") + first;
        case SQLITE_INSERT:
            return QStringLiteral("incluir registros na tabela ") + first;
        case SQLITE_UPDATE:
            return QStringLiteral("alterar registros da tabela ") + first;
        case SQLITE_ALTER_TABLE:
            return QStringLiteral("alterar a tabela ") + Text(b);
        // VACUUM attaches a database of its own: '' for itself, the target
        // file for VACUUM INTO.
        case SQLITE_ATTACH:
            if (first.isEmpty()) return QStringLiteral("reescrever o banco de dados (VACUUM)");
            return StatementRunning(handle) ? QStringLiteral("gravar no arquivo ") + first
                                            : QStringLiteral("anexar outro arquivo, ") + first;
        case SQLITE_DETACH:
            return QStringLiteral("desanexar o banco de dados ") + first;
        case SQLITE_PRAGMA:
            return QStringLiteral("executar o comando PRAGMA ") + first;
        case SQLITE_ANALYZE:
            return QStringLiteral("executar o comando ANALYZE");
        case SQLITE_REINDEX:
            return QStringLiteral("executar o comando REINDEX");
        case SQLITE_SAVEPOINT:
            return QStringLiteral("abrir um ponto de salvamento");
        case SQLITE_FUNCTION:
            return QStringLiteral("chamar a função ") + Text(b);
        default:
            return QStringLiteral("executar um comando que não é de leitura");
    }
}

bool IsSchemaTable(const char* table) {
    for (const char* name :
         {"sqlite_master", "sqlite_schema", "sqlite_temp_master", "sqlite_temp_schema"})
        if (qstricmp(table, name) == 0) return true;
    return false;
}

bool IsReportFunction(const char* name) {
    static const QSet<QByteArray> allowed(std::begin(kReportFunctions), std::end(kReportFunctions));
    return name && allowed.contains(QByteArray(name).toLower());
}

// `a` and `b` are the authorizer's details of the action: for a function,
// `b` is its name; for a row change, `a` is the table.
bool Allowed(int action, const char* a, const char* b) {
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_RECURSIVE:
        case SQLITE_TRANSACTION:
            return true;
        case SQLITE_FUNCTION:
            return IsReportFunction(b);
        // CREATE, DROP and the like are asked about as a change to the schema
        // table first and as themselves right after: letting the first pass
        // makes the refusal name what the statement tried. SQLite itself
        // refuses a change of the schema table written as such (PRAGMA
        // writable_schema, which would allow it, is refused here).
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            return IsSchemaTable(a);
        default:
            return false;
    }
}

int Authorize(void* context, int action, const char* a, const char* b, const char* /*db*/,
              const char* /*trigger*/) {
    if (Allowed(action, a, b)) return SQLITE_OK;
    auto* state = static_cast<SqliteGuard::State*>(context);
    // SQLite may go on asking while it finishes parsing a refused statement:
    // the first refusal says what the statement tried, unless it was about
    // one of SQLite's own tables (ANALYZE creates sqlite_stat1 first).
    if (state->stop != Stop::Refused || state->attemptInternal) {
        state->attemptInternal = qstrnicmp(a, "sqlite_", 7) == 0;
        state->stop = Stop::Refused;
        state->attempt = Attempt(action, a, b, static_cast<sqlite3*>(state->handle));
        state->function = action == SQLITE_FUNCTION ? Text(b) : QString();
    }
    return SQLITE_DENY;
}

int Progress(void* context) {
    auto* state = static_cast<SqliteGuard::State*>(context);
    if (state->Cancelled()) {
        state->stop = Stop::Cancelled;
        return 1;
    }
    if (state->timeLimit.count() > 0 && std::chrono::steady_clock::now() >= state->deadline) {
        state->stop = Stop::TimeLimit;
        return 1;
    }
    return 0;
}

}  // namespace

std::unique_ptr<KindGuard> SqliteGuard::On(QSqlDatabase& db, const QString& source,
                                           const std::atomic<bool>* cancel,
                                           std::chrono::milliseconds timeLimit) {
    sqlite3* handle = SqliteHandle(db);
    if (!handle) return nullptr;
    auto state = std::make_unique<State>();
    state->source = source;
    state->cancel = cancel;
    state->timeLimit = timeLimit;
    state->deadline = std::chrono::steady_clock::now() + timeLimit;
    state->handle = handle;
    state->inTransactionBefore = sqlite3_get_autocommit(handle) == 0;
    sqlite3_set_authorizer(handle, Authorize, state.get());
    sqlite3_progress_handler(handle, kStepsBetweenChecks, Progress, state.get());
    return std::unique_ptr<KindGuard>(new SqliteGuard(std::move(state)));
}

SqliteGuard::SqliteGuard(std::unique_ptr<State> state) : state_(std::move(state)) {}

SqliteGuard::~SqliteGuard() {
    auto* handle = static_cast<sqlite3*>(state_->handle);
    sqlite3_set_authorizer(handle, nullptr, nullptr);
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    if (!state_->inTransactionBefore && sqlite3_get_autocommit(handle) == 0)
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteGuard::Check() {
    const Stop stop = std::exchange(state_->stop, Stop::None);
    if (stop == Stop::Cancelled || state_->Cancelled()) Abort();
    if (stop == Stop::Refused && !state_->function.isEmpty())
        throw Exception(QueryFunctionRefusedMessage(state_->source, state_->function));
    if (stop == Stop::Refused) throw Exception(QueryRefusedMessage(state_->source, state_->attempt));
    if (stop == Stop::TimeLimit)
        throw Exception(QueryTimeLimitMessage(state_->source, state_->timeLimit));
}
