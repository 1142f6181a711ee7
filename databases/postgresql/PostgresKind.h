#pragma once

#include "DatabaseKind.h"
#include "HostExport.h"

// A PostgreSQL server as the report database (postgresql:// addresses,
// PostgresAddress.h). The host connects anew for each report; a server that
// wants a password libpq did not find (PGPASSWORD, ~/.pgpass) has it asked of
// the person on the window's thread (AskDatabasePassword; Cancel there raises
// EAbort), never on a worker's. Each report reads in one read-only,
// repeatable-read transaction under the time limit (BeginSnapshot), and a
// cancel asks the server to stop the statement (libpq's PQcancel).
class HOST_EXPORT PostgresKind : public DatabaseKind {
public:
    QString Name() const override;
    QString Title() const override;
    QString Driver() const override;
    SqlDialect Dialect() const override;
    QStringList Schemes() const override;
    void ApplyAddress(const QString& address, HostConfig& config) const override;
    QString Description(const HostConfig& config) const override;
    bool KeepsConnection() const override;
    void Open(QSqlDatabase& db, const HostConfig& config) const override;
    void OpenOnThread(QSqlDatabase& db, const HostConfig& config) const override;
    bool BeginSnapshot(QSqlDatabase& db, std::chrono::milliseconds timeLimit) const override;
    void EndSnapshot(QSqlDatabase& db) const override;
    std::unique_ptr<KindStopper> Stopper(const QSqlDatabase& db) const override;
    bool ConnectionLost(const QSqlDatabase& db, const QSqlError& error) const override;
};
