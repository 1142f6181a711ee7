#pragma once

#include <QString>
#include <QVariant>

#include "DatabaseKind.h"
#include "HostExport.h"

// A SQLite file as the report database. The file must exist, except the
// host's own sample (HostConfig::sampleDatabase), which is made on first use
// (CreateSqliteDatabase with the sample); the report connection only reads,
// opened read-only and under SqliteGuard, and the rows are read beneath Qt's
// driver (ReadSqliteRows). Its connections never wait for a lock another
// program holds (the report's query does, on its own thread, with Cancelar),
// and make no value longer than kMaxReportValueBytes. A file locked by
// another program throws EDatabaseLocked (DatabaseLockedMessage); a write
// another program left undone is rolled back first where the folder allows.
// Any address without a kind's scheme is the path of its file.
class HOST_EXPORT SqliteKind : public DatabaseKind {
public:
    QString Name() const override;
    QString Title() const override;
    QString Driver() const override;
    SqlDialect Dialect() const override;
    bool IsFile() const override;
    void ApplyAddress(const QString& address, HostConfig& config) const override;
    QString Description(const HostConfig& config) const override;
    QString ConnectOptions(const HostConfig& config) const override;
    void CheckBeforeConnecting(const HostConfig& config) const override;
    void Open(QSqlDatabase& db, const HostConfig& config) const override;
    void OpenOnThread(QSqlDatabase& db, const HostConfig& config) const override;
    bool CreateFile(const HostConfig& config, int sampleRows) const override;
    std::unique_ptr<KindGuard> GuardStatements(QSqlDatabase& db, const QString& source,
                                               const std::atomic<bool>* cancel,
                                               std::chrono::milliseconds timeLimit) const override;
    std::unique_ptr<KindStopper> Stopper(const QSqlDatabase& db) const override;
    bool ReadRows(QSqlDatabase& db, const BoundQuery& bound, ReportData& data,
                  const std::function<void()>& batch, const QueryLimits& limits) const override;
};

// Creates the SQLite file `path`, in WAL mode, with the report tables of
// `reportsDir`'s scripts and, with `withSample`, the sample (CreateReportTables).
// Nobody sees the file before it is whole; the folder must exist (none is
// made). Returns false, changing nothing, when a file of that name exists,
// also when another process made it meanwhile. Throws Exception in
// Portuguese, naming the path, when it cannot be made; nothing is left of it.
HOST_EXPORT bool CreateSqliteDatabase(const QString& path, const QString& reportsDir,
                                      bool withSample, const QVariant& sampleRows = {});
