#include "ReportDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include "DatabaseMessages.h"
#include "DatabasePassword.h"
#include "DatabaseScripts.h"
#include "SysUtils.h"

namespace {

const QString kConnection = QStringLiteral("relatorios");

// A SQLite file to be created: absent or empty (a file just reserved for it).
bool NeedsCreation(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() || (info.isFile() && info.size() == 0);
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

// SQLITE_BUSY and SQLITE_LOCKED, also in their extended forms: another
// connection holds a lock that outlasted the driver's wait.
bool IsLocked(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    return code == 5 || code == 6;
}

// Opening a SQLite file reads nothing yet; this reads its catalogue, so a
// file that is not a database, or one another program keeps locked, fails
// here with a clear message.
void CheckSqliteReadable(QSqlDatabase& db, const QString& path) {
    QSqlError error;
    {
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next())
            return;
        error = query.lastError();
    }
    db.close();  // so that the next attempt checks again
    if (IsLocked(error))
        throw Exception(QStringLiteral("O banco de dados de relatórios %1 está bloqueado por "
                                       "outro programa. Tente de novo em instantes.")
                            .arg(QDir::toNativeSeparators(path)));
    throw Exception(QStringLiteral("O arquivo %1 não é um banco de dados de relatórios válido "
                                   "(corrompido ou de outro formato): %2")
                        .arg(QDir::toNativeSeparators(path), error.text()));
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

void FillNewDatabase(QSqlDatabase& db, const HostConfig& config) {
    const QString& path = config.databaseName;
    try {
        UseWriteAheadLog(db);
        CreateReportTables(db, config.reportsDir, true);
    } catch (const Exception& error) {
        db.close();
        QFile::remove(path);
        throw Exception(
            QStringLiteral("Não foi possível criar o banco de dados de relatórios em %1: %2")
                .arg(QDir::toNativeSeparators(path), error.Message()));
    }
}

void OpenSqlite(QSqlDatabase& db, const HostConfig& config) {
    if (db.open()) return;
    throw Exception(QStringLiteral("Não foi possível abrir o banco de dados de relatórios %1: %2")
                        .arg(QDir::toNativeSeparators(config.databaseName), db.lastError().text()));
}

// libpq looks for the password in PGPASSWORD and its password file; when the
// server wants one it did not find, the person is asked, and what he typed
// is kept for the session once the server took it.
void OpenServer(QSqlDatabase& db, const HostConfig& config) {
    if (db.open()) return;
    if (ServerWantsPassword(db.lastError())) {
        QString password;
        if (!AskDatabasePassword(config, password)) Abort();
        db.setPassword(password);
        if (db.open()) return KeepDatabasePassword(config, password);
    }
    KeepDatabasePassword(config, QString());
    const QSqlError error = db.lastError();
    db.setPassword(DatabasePassword(config));
    throw Exception(ServerConnectionFailure(config, error));
}

// A server connection kept from an earlier report may have been dropped
// since (server restarted, network): asking once tells.
bool StillConnected(QSqlDatabase& db) {
    if (!db.isOpen()) return false;
    if (db.driverName() != QLatin1String("QPSQL")) return true;
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT 1"));
}

bool SameSettings(const QSqlDatabase& db, const HostConfig& config) {
    return db.driverName() == config.databaseDriver && db.databaseName() == config.databaseName &&
           db.hostName() == config.databaseHost && db.port() == config.databasePort &&
           db.userName() == config.databaseUser && db.connectOptions() == config.databaseOptions &&
           db.password() == DatabasePassword(config);
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
    if (!QSqlDatabase::isDriverAvailable(config.databaseDriver))
        throw Exception(QStringLiteral("O driver de banco de dados '%1' não está disponível.")
                            .arg(config.databaseDriver));
    QSqlDatabase db = QSqlDatabase::addDatabase(config.databaseDriver, kConnection);
    db.setDatabaseName(config.databaseName);
    db.setHostName(config.databaseHost);
    db.setPort(config.databasePort);
    db.setUserName(config.databaseUser);
    db.setConnectOptions(config.databaseOptions);
    db.setPassword(DatabasePassword(config));
    return db;
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
    const bool create = NeedsCreation(config.databaseName);
    OpenSqlite(db, config);
    if (create)
        FillNewDatabase(db, config);
    else
        CheckSqliteReadable(db, config.databaseName);
    return db;
}
