#include "ReportDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <atomic>
#include <cerrno>
#include <memory>

#include "DatabaseError.h"
#include "DatabaseMessages.h"
#include "DatabasePassword.h"
#include "DatabaseScripts.h"
#include "ReportProgressDialog.h"
#include "ReportWait.h"
#include "ReportWorker.h"
#include "SqliteRows.h"
#include "SysUtils.h"
#include "SystemError.h"

namespace {

const QString kConnection = QStringLiteral("relatorios");

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
        : db_(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name())) {
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
    static QString Name() { return kConnection + QStringLiteral("-gravacao"); }
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

// libpq looks for the password in PGPASSWORD and its password file; when the
// server wants one it did not find, the person is asked, and what he typed
// is kept for the session once the server took it. A typed password the
// server refuses later was changed there meanwhile: it is asked again.
// A connection of its own to the server `db` names, on a thread of its own,
// while the window goes on answering, with the progress and Cancelar (EAbort)
// once the wait lasts: a server that does not answer (stopped, frozen, a
// network that drops its packets) never holds the window, and a cancelled
// attempt is left to end on its own (libpq cannot be interrupted while it
// connects). Gives what the server said; none: it answered and took the
// password.
QSqlError ReachServer(const QSqlDatabase& db) {
    struct Settings {
        QString driver, name, host, user, password, options;
        int port;
    } const settings{db.driverName(), db.databaseName(), db.hostName(), db.userName(),
                     db.password(),   db.connectOptions(), db.port()};
    auto answer = std::make_shared<QSqlError>();
    ReportWorker worker;
    worker.Start(
        [settings, answer](WorkerState&) {
            static std::atomic<int> serial{0};
            const QString name = QStringLiteral("relatorios-contato-%1").arg(++serial);
            {
                QSqlDatabase probe = QSqlDatabase::addDatabase(settings.driver, name);
                probe.setDatabaseName(settings.name);
                probe.setHostName(settings.host);
                probe.setPort(settings.port);
                probe.setUserName(settings.user);
                probe.setPassword(settings.password);
                probe.setConnectOptions(settings.options);
                if (!probe.open()) *answer = probe.lastError();
                probe.close();
            }
            QSqlDatabase::removeDatabase(name);
        },
        ReportWorker::Ending::Abandon);
    const auto progress = ProgressDialogFor(QStringLiteral("Banco de dados de relatórios"), QApplication::activeWindow());
    WaitForWorker(worker, {}, progress.get(),
                  [] { return WaitStatus{QStringLiteral("Aguardando o banco de dados…"), 0, 0}; });
    return *answer;
}

// Opens `db` once the server has answered off the window's thread; gives the
// server's refusal, if any.
QSqlError OpenReached(QSqlDatabase& db) {
    if (const QSqlError refused = ReachServer(db); refused.isValid()) return refused;
    return db.open() ? QSqlError() : db.lastError();
}

void OpenServer(QSqlDatabase& db, const HostConfig& config) {
    QSqlError error = OpenReached(db);
    if (!error.isValid()) return;
    const bool changed = !db.password().isEmpty() && ServerRefusedPassword(error);
    if (ServerWantsPassword(error) || changed) {
        KeepDatabasePassword(config, QString());
        QString password;
        const QString note = changed ? QStringLiteral("O servidor recusou a senha informada antes; "
                                                      "ela pode ter sido trocada.")
                                     : QString();
        if (!AskDatabasePassword(config, password, note)) Abort();
        db.setPassword(password);
        error = OpenReached(db);
        if (!error.isValid()) return KeepDatabasePassword(config, password);
    }
    KeepDatabasePassword(config, QString());
    db.setPassword(DatabasePassword(config));
    throw Exception(ServerConnectionFailure(config, error));
}

// A server connection kept from an earlier report may have been dropped
// since (server restarted, network), or its password changed there (which
// only a new connection tells): a server is connected to anew each time.
bool StillConnected(QSqlDatabase& db) {
    return db.isOpen() && db.driverName() != QLatin1String("QPSQL");
}

// Reports only read: SQLite opens the file read-only besides QueryGuard, and
// waits for no lock on the thread that opens it; a server gets the options
// of its address (its snapshot is read-only).
QString ConnectOptions(const HostConfig& config) {
    return config.databaseDriver == QLatin1String("QSQLITE") ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=0")
                                                             : config.databaseOptions;
}

bool SameSettings(const QSqlDatabase& db, const HostConfig& config) {
    return db.driverName() == config.databaseDriver && db.databaseName() == config.databaseName &&
           db.connectOptions() == ConnectOptions(config) && db.hostName() == config.databaseHost &&
           db.port() == config.databasePort && db.userName() == config.databaseUser &&
           db.password() == DatabasePassword(config);
}

QSqlDatabase AddConnection(const HostConfig& config, const QString& name) {
    if (!QSqlDatabase::isDriverAvailable(config.databaseDriver))
        throw Exception(QStringLiteral("O driver de banco de dados '%1' não está disponível.")
                            .arg(config.databaseDriver));
    QSqlDatabase db = QSqlDatabase::addDatabase(config.databaseDriver, name);
    db.setDatabaseName(config.databaseName);
    db.setHostName(config.databaseHost);
    db.setPort(config.databasePort);
    db.setUserName(config.databaseUser);
    db.setPassword(DatabasePassword(config));
    db.setConnectOptions(ConnectOptions(config));
    return db;
}

// The named connection, made anew when the settings have changed since.
QSqlDatabase Connection(const HostConfig& config) {
    if (QSqlDatabase::contains(kConnection)) {
        {
            QSqlDatabase current = QSqlDatabase::database(kConnection, false);
            if (SameSettings(current, config) && StillConnected(current)) return current;
            current.close();
        }
        QSqlDatabase::removeDatabase(kConnection);
    }
    return AddConnection(config, kConnection);
}

}  // namespace

QSqlDatabase ReportDatabase(const HostConfig& config) {
    const bool sqlite = config.databaseDriver == QLatin1String("QSQLITE");
    if (sqlite) CheckSqlitePath(config.databaseName);
    QSqlDatabase db = Connection(config);
    if (db.isOpen()) return db;
    if (!sqlite) {
        OpenServer(db, config);
        return db;
    }
    if (!Exists(config.databaseName)) {
        if (!config.sampleDatabase)
            throw Exception(QStringLiteral("O banco de dados de relatórios %1 não existe.")
                                .arg(Shown(config.databaseName)));
        CreateSqliteDatabase(config.databaseName, config.reportsDir, true);
    }
    OpenSqlite(db, config);
    CheckSqliteReadable(db, config.databaseName);
    return db;
}

// A server is given the password ReportDatabase used (typed or found by
// libpq): nobody is asked twice, and a worker thread could not ask.
QSqlDatabase OpenReportConnection(const HostConfig& config, const QString& name) {
    QSqlDatabase db = AddConnection(config, name);
    if (config.databaseDriver == QLatin1String("QSQLITE")) {
        OpenSqlite(db, config);
        return db;
    }
    if (db.open()) return db;
    // Asked again on the next report (ReportDatabase), not on this thread.
    if (ServerRefusedPassword(db.lastError())) KeepDatabasePassword(config, QString());
    throw Exception(ServerConnectionFailure(config, db.lastError()));
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
