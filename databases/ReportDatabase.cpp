#include "ReportDatabase.h"

#include <QSqlDatabase>

#include "DatabaseKinds.h"
#include "DatabasePassword.h"
#include "DatabaseScripts.h"
#include "SysUtils.h"

namespace {

const QString kConnection = QStringLiteral("relatorios");

bool SameSettings(const QSqlDatabase& db, const HostConfig& config, const DatabaseKind& kind) {
    return db.driverName() == kind.Driver() && db.databaseName() == config.databaseName &&
           db.connectOptions() == kind.ConnectOptions(config) && db.hostName() == config.databaseHost &&
           db.port() == config.databasePort && db.userName() == config.databaseUser &&
           db.password() == DatabasePassword(config);
}

QSqlDatabase AddConnection(const HostConfig& config, const DatabaseKind& kind, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(kind.Driver(), name);
    db.setDatabaseName(config.databaseName);
    db.setHostName(config.databaseHost);
    db.setPort(config.databasePort);
    db.setUserName(config.databaseUser);
    db.setPassword(DatabasePassword(config));
    db.setConnectOptions(kind.ConnectOptions(config));
    return db;
}

// The named connection, made anew when the settings have changed since, or
// when the kind connects anew each time.
QSqlDatabase Connection(const HostConfig& config, const DatabaseKind& kind) {
    if (QSqlDatabase::contains(kConnection)) {
        {
            QSqlDatabase current = QSqlDatabase::database(kConnection, false);
            if (SameSettings(current, config, kind) && current.isOpen() && kind.KeepsConnection())
                return current;
            current.close();
        }
        QSqlDatabase::removeDatabase(kConnection);
    }
    return AddConnection(config, kind, kConnection);
}

}  // namespace

QSqlDatabase ReportDatabase(const HostConfig& config) {
    const DatabaseKind& kind = DatabaseKinds::Of(config);
    kind.CheckBeforeConnecting(config);
    QSqlDatabase db = Connection(config, kind);
    if (!db.isOpen()) kind.Open(db, config);
    return db;
}

QSqlDatabase OpenReportConnection(const HostConfig& config, const QString& name) {
    const DatabaseKind& kind = DatabaseKinds::Of(config);
    QSqlDatabase db = AddConnection(config, kind, name);
    kind.OpenOnThread(db, config);
    return db;
}

bool CreateReportDatabase(const HostConfig& config, int sampleRows) {
    const DatabaseKind& kind = DatabaseKinds::Of(config);
    if (kind.IsFile()) return kind.CreateFile(config, sampleRows);
    QSqlDatabase db = ReportDatabase(config);
    CreateReportTables(db, config.reportsDir, sampleRows > 0, sampleRows);
    return true;
}
