#include "SqliteKind.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <cerrno>
#include <memory>

#include "BoundQuery.h"
#include "DatabaseError.h"
#include "DatabaseMessages.h"
#include "DatabaseScripts.h"
#include "SqliteGuard.h"
#include "SqliteRows.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

// The connection the host writes through, beside the report's "relatorios".
const QString kWriterConnection = QStringLiteral("relatorios-gravacao");

bool Exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void CheckSqlitePath(const QString& path) {
    if (path.isEmpty())
        throw Exception(QStringLiteral("O banco de dados de relatórios não foi configurado."));
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        throw Exception(QStringLiteral("A pasta do banco de dados de relatórios não existe: %1")
                            .arg(QDir::toNativeSeparators(info.absolutePath())));
    if (info.exists() && !info.isFile())
        throw Exception(
            QStringLiteral("O caminho do banco de dados de relatórios não é um arquivo: %1")
                .arg(QDir::toNativeSeparators(path)));
}

// SQLITE_BUSY and SQLITE_LOCKED: another connection holds a lock that
// outlasted the driver's wait.
bool IsLocked(const QSqlError& error) {
    const int code = SqliteCode(error);
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Why the file, or its folder for `write`, cannot be used, as the system
// says it; empty when the system sees no obstacle.
QString AccessProblem(const QString& path, int mode) {
    if (::access(QFile::encodeName(path).constData(), mode) == 0) return {};
    return SystemReason(errno);
}

// The journal of a write another program left undone, in a folder where it
// cannot be rolled back.
[[noreturn]] void UnfinishedWrite(const QString& path) {
    const QFileInfo info(path);
    throw Exception(QStringLiteral("O banco de dados de relatórios %1 tem uma gravação inacabada "
                                   "(%2) que só pode ser desfeita com permissão de gravação na "
                                   "pasta %3. O arquivo não está corrompido.")
                        .arg(Shown(path), Shown(path + QStringLiteral("-journal")),
                             Shown(info.absolutePath())));
}

// A writable connection of its own to a SQLite file, for the moments the
// host itself must write: creating the sample database, finishing the write
// another program left undone. The report connection only ever reads.
class WritableConnection {
public:
    WritableConnection(const QString& path, const QString& failure)
        : db_(QSqlDatabase::addDatabase(kDriver, Name())) {
        db_.setDatabaseName(path);
        if (!db_.open()) throw Exception(DatabaseFailure(failure, db_.lastError(), db_.driver()));
    }
    ~WritableConnection() {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(Name());
    }
    WritableConnection(const WritableConnection&) = delete;
    WritableConnection& operator=(const WritableConnection&) = delete;
    QSqlDatabase& Db() { return db_; }

private:
    static QString Name() { return kWriterConnection; }
    QSqlDatabase db_;
};

// Reading the catalogue: opening a SQLite file reads nothing yet, so a file
// that is not a database, or one another program keeps locked, fails here.
QSqlError CatalogueError(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next())
        return {};
    return query.lastError();
}

// A program that stopped while writing leaves a journal, which the next
// connection able to write rolls back on its first read.
bool FinishedUnfinishedWrite(const QSqlError& error, const QString& path) {
    if (SqliteCode(error) != SQLITE_READONLY ||
        !QFileInfo::exists(path + QStringLiteral("-journal")))
        return false;
    if (!AccessProblem(QFileInfo(path).absolutePath(), W_OK).isEmpty()) UnfinishedWrite(path);
    WritableConnection writer(
        path, QStringLiteral("Não foi possível abrir o banco de dados de relatórios %1").arg(Shown(path)));
    return !CatalogueError(writer.Db()).isValid();
}

[[noreturn]] void Unreadable(const QSqlError& error, const QString& path, const QSqlDriver* driver) {
    if (IsLocked(error)) throw EDatabaseLocked(DatabaseLockedMessage(path));
    const int code = SqliteCode(error);
    if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
        throw Exception(DatabaseFailure(
            QStringLiteral("O arquivo %1 não é um banco de dados de relatórios válido").arg(Shown(path)),
            error, driver));
    throw Exception(DatabaseFailure(
        QStringLiteral("Não foi possível ler o banco de dados de relatórios %1").arg(Shown(path)),
        error, driver));
}

void CheckSqliteReadable(QSqlDatabase& db, const QString& path) {
    QSqlError error = CatalogueError(db);
    if (error.isValid() && FinishedUnfinishedWrite(error, path)) {
        db.close();
        db.open();
        error = CatalogueError(db);
    }
    if (!error.isValid()) return;
    const QSqlDriver* driver = db.driver();
    db.close();  // so that the next attempt checks again
    Unreadable(error, path, driver);
}

// WAL: a cleanup job writing meanwhile neither waits for a report reading
// (ReportSnapshot) nor changes what it reads. The mode stays with the file.
// The host sets it only on the files it creates: it never writes to a
// database it was given.
void UseWriteAheadLog(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        throw Exception(QStringLiteral("Erro ao preparar o banco de dados de relatórios: %1")
                            .arg(query.lastError().text()));
}

// A name of its own in `folder`, claimed by creating it (empty), and removed
// again with the object.
std::unique_ptr<QTemporaryFile> ReservedName(const QString& folder, const QString& path) {
    auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.novo.XXXXXXXX.tmp"));
    if (!file->open())
        throw Exception(QStringLiteral("Não foi possível criar o banco de dados de relatórios em "
                                       "%1: %2.")
                            .arg(Shown(path), file->errorString()));
    file->close();
    // As any new file: readable by whom the user's umask lets (a temporary
    // file is its owner's alone).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(file->fileName()).constData(), 0666 & ~mask);
    return file;
}

// The tables (and the sample) in the new file `temporary`, in WAL mode.
// Closing the connection folds the write-ahead log into the file and removes
// it, so the file alone is the whole database.
void FillNewFile(const QString& temporary, const QString& path, const QString& reportsDir,
                 bool withSample, const QVariant& sampleRows) {
    const QString failure =
        QStringLiteral("Não foi possível criar o banco de dados de relatórios em %1").arg(Shown(path));
    try {
        WritableConnection writer(temporary, failure);
        UseWriteAheadLog(writer.Db());
        CreateReportTables(writer.Db(), reportsDir, withSample, sampleRows);
    } catch (const Exception& error) {
        throw Exception(QStringLiteral("%1. %2").arg(failure, error.Message()));
    }
}

void OpenSqlite(QSqlDatabase& db, const HostConfig& config) {
    if (db.open()) return LimitReportValues(db);
    const QString problem = AccessProblem(config.databaseName, R_OK);
    const QString sentence = QStringLiteral("Não foi possível abrir o banco de dados de relatórios %1")
                                 .arg(Shown(config.databaseName));
    if (!problem.isEmpty()) throw Exception(QStringLiteral("%1: %2.").arg(sentence, problem));
    throw Exception(DatabaseFailure(sentence, db.lastError(), db.driver()));
}

// Stops a statement from another thread: sqlite3_interrupt is made for it.
class SqliteStopper : public KindStopper {
public:
    explicit SqliteStopper(sqlite3* handle) : handle_(handle) {}
    void Stop() override { sqlite3_interrupt(handle_); }

private:
    sqlite3* handle_;
};

}  // namespace

QString SqliteKind::Name() const { return QStringLiteral("sqlite"); }
QString SqliteKind::Title() const { return QStringLiteral("SQLite"); }
QString SqliteKind::Driver() const { return kDriver; }
SqlDialect SqliteKind::Dialect() const { return SqlDialect::SQLite; }
bool SqliteKind::IsFile() const { return true; }

void SqliteKind::ApplyAddress(const QString& address, HostConfig& config) const {
    config.databaseName = address.isEmpty() ? QString() : QDir::cleanPath(address);
    config.databaseHost.clear();
    config.databasePort = -1;
    config.databaseUser.clear();
    config.databaseOptions.clear();
    config.databasePassword.clear();
}

QString SqliteKind::Description(const HostConfig& config) const { return Shown(config.databaseName); }

// Reports only read: the file is opened read-only besides QueryGuard, and
// no lock is waited for on the thread that opens it.
QString SqliteKind::ConnectOptions(const HostConfig& /*config*/) const {
    return QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=0");
}

void SqliteKind::CheckBeforeConnecting(const HostConfig& config) const { CheckSqlitePath(config.databaseName); }

void SqliteKind::Open(QSqlDatabase& db, const HostConfig& config) const {
    if (!Exists(config.databaseName)) {
        if (!config.sampleDatabase)
            throw Exception(QStringLiteral("O banco de dados de relatórios %1 não existe.")
                                .arg(Shown(config.databaseName)));
        CreateSqliteDatabase(config.databaseName, config.reportsDir, true);
    }
    OpenSqlite(db, config);
    CheckSqliteReadable(db, config.databaseName);
}

void SqliteKind::OpenOnThread(QSqlDatabase& db, const HostConfig& config) const { OpenSqlite(db, config); }

bool SqliteKind::CreateFile(const HostConfig& config, int sampleRows) const {
    return CreateSqliteDatabase(config.databaseName, config.reportsDir, sampleRows > 0, sampleRows);
}

std::unique_ptr<KindGuard> SqliteKind::GuardStatements(QSqlDatabase& db, const QString& source,
                                                       const std::atomic<bool>* cancel,
                                                       std::chrono::milliseconds timeLimit) const {
    return SqliteGuard::On(db, source, cancel, timeLimit);
}

std::unique_ptr<KindStopper> SqliteKind::Stopper(const QSqlDatabase& db) const {
    sqlite3* handle = SharedSqliteHandle(db);
    return handle ? std::make_unique<SqliteStopper>(handle) : nullptr;
}

bool SqliteKind::ReadRows(QSqlDatabase& db, const BoundQuery& bound, ReportData& data,
                          const std::function<void()>& batch, const QueryLimits& limits) const {
    sqlite3* handle = SharedSqliteHandle(db);
    if (!handle) return false;
    ReadSqliteRows(handle, bound.query, bound.values, data, batch, limits);
    return true;
}

// Made whole under a name of its own in the same folder, then linked into
// place: link(2), unlike rename, fails where the name exists, so a host
// that loses the race to another leaves the winner's file alone and nobody
// ever opens a database half made.
bool CreateSqliteDatabase(const QString& path, const QString& reportsDir, bool withSample,
                          const QVariant& sampleRows) {
    CheckSqlitePath(path);
    if (Exists(path)) return false;
    const QString folder = QFileInfo(path).absolutePath();
    if (const QString problem = AccessProblem(folder, W_OK); !problem.isEmpty())
        throw Exception(QStringLiteral("Não foi possível criar o banco de dados de relatórios em "
                                       "%1: a pasta %2 não permite gravação (%3).")
                            .arg(Shown(path), Shown(folder), problem));
    const std::unique_ptr<QTemporaryFile> reserved = ReservedName(folder, path);
    FillNewFile(reserved->fileName(), path, reportsDir, withSample, sampleRows);
    if (::link(QFile::encodeName(reserved->fileName()).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    if (errno == EEXIST) return false;
    throw Exception(QStringLiteral("Não foi possível criar o banco de dados de relatórios em %1: %2.")
                        .arg(Shown(path), SystemReason(errno)));
}
