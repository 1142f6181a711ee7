#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "HostConfig.h"
#include "HostExport.h"
#include "SqlStatements.h"

class ReportData;
struct BoundQuery;
struct QueryLimits;

// What a statement guard of a kind keeps in place while a report statement
// runs on its connection; it ends with the guard (QueryGuard).
class HOST_EXPORT KindGuard {
public:
    virtual ~KindGuard() = default;
    // After a prepare, exec or fetch failed: throws EAbort or Exception when
    // the guard stopped the statement (QueryGuard::Check); returns otherwise.
    virtual void Check() {}
};

// How a kind stops, from another thread, the statement running on a
// connection (ServerCancel calls it once the cancel flag is up).
class HOST_EXPORT KindStopper {
public:
    virtual ~KindStopper() = default;
    virtual void Stop() = 0;
    // The statement still runs ServerCancel::kCloseAfter after Stop: the
    // database does not answer.
    virtual void Unanswered() {}
};

// One kind of report database (SQLite, a PostgreSQL server): everything the
// host does differently by kind goes through here, so that no other code
// names a Qt SQL driver. A kind is registered once (DatabaseKinds) and lives
// as long as the program, or, in tests, as long as its registration.
class HOST_EXPORT DatabaseKind {
public:
    virtual ~DatabaseKind() = default;

    // What HostConfig::databaseKind holds ("sqlite", "postgresql"), and the
    // folder of the kind's schema scripts: <reports>/database/<name>/.
    virtual QString Name() const = 0;
    // How report definitions spell it: a definition's own query text for the
    // kind is the property SQL<Title>.Strings ("SQLPostgreSQL.Strings").
    virtual QString Title() const = 0;
    // The name of the Qt SQL driver it connects through.
    virtual QString Driver() const = 0;
    // How the database reads a statement (the definitions' one-statement check).
    virtual SqlDialect Dialect() const = 0;

    // The URI schemes of its addresses ("postgresql"); none: its addresses
    // are file paths, which is what any address without a known scheme is.
    virtual QStringList Schemes() const { return {}; }
    // The database is a file at HostConfig::databaseName: the host makes its
    // sample there, a configured path must be given, and --create-db makes
    // the file.
    virtual bool IsFile() const { return false; }
    // Sets the database fields of `config` (but databaseKind) from `address`,
    // one of this kind's; throws Exception in Portuguese, never repeating the
    // address, when it cannot be used (`config` then unchanged).
    virtual void ApplyAddress(const QString& address, HostConfig& config) const = 0;
    // The configured database as messages and events name it, never with a
    // password.
    virtual QString Description(const HostConfig& config) const = 0;

    // The Qt connection options for `config`'s database.
    virtual QString ConnectOptions(const HostConfig& config) const {
        return config.databaseOptions;
    }
    // A connection opened earlier may be used again for the next report
    // (false: connected to anew each time).
    virtual bool KeepsConnection() const { return true; }
    // Checks what can be checked before a connection is made (a file's path);
    // throws Exception in Portuguese.
    virtual void CheckBeforeConnecting(const HostConfig& /*config*/) const {}
    // Opens `db`, set from `config`, on the window's thread (ReportDatabase):
    // may make the host's sample, ask for a password, show a wait. Throws
    // Exception (EAbort when the person cancelled).
    virtual void Open(QSqlDatabase& db, const HostConfig& config) const = 0;
    // Opens `db` on a worker's thread (OpenReportConnection): asks nothing.
    virtual void OpenOnThread(QSqlDatabase& db, const HostConfig& config) const = 0;
    // For a kind whose database is a file (IsFile): makes the file with the
    // report tables (and `sampleRows` sample rows when above 0). False,
    // changing nothing, where the file exists; throws Exception in Portuguese
    // when it cannot be made. (A server's tables are made on its database:
    // CreateReportDatabase.)
    virtual bool CreateFile(const HostConfig& /*config*/, int /*sampleRows*/) const {
        return false;
    }

    // Begins the report's snapshot on `db` (ReportSnapshot) under
    // `timeLimit` (0: none); true when there is something for EndSnapshot to
    // end. Throws EDatabaseError.
    virtual bool BeginSnapshot(QSqlDatabase& /*db*/,
                               std::chrono::milliseconds /*timeLimit*/) const {
        return false;
    }
    virtual void EndSnapshot(QSqlDatabase& /*db*/) const {}
    // The guard of the statements a report runs on `db` (QueryGuard); null
    // when the kind checks nothing itself.
    virtual std::unique_ptr<KindGuard> GuardStatements(
        QSqlDatabase& /*db*/, const QString& /*source*/, const std::atomic<bool>* /*cancel*/,
        std::chrono::milliseconds /*timeLimit*/) const {
        return nullptr;
    }
    // What stops a statement running on the open connection `db`; null when
    // nothing can.
    virtual std::unique_ptr<KindStopper> Stopper(const QSqlDatabase& /*db*/) const {
        return nullptr;
    }
    // Reads the report's rows beneath the driver where the kind can
    // (ReadReportRows); false when Qt's driver is to read them.
    virtual bool ReadRows(QSqlDatabase& /*db*/, const BoundQuery& /*bound*/, ReportData& /*data*/,
                          const std::function<void()>& /*batch*/,
                          const QueryLimits& /*limits*/) const {
        return false;
    }
    // A statement that failed on `db` failed because its connection was lost.
    virtual bool ConnectionLost(const QSqlDatabase& /*db*/, const QSqlError& /*error*/) const {
        return false;
    }
};
