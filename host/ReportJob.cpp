#include "ReportJob.h"

#include <QAtomicInt>
#include <QSqlDatabase>

#include "ReportDatabase.h"
#include "ReportSnapshot.h"

namespace {

// Each job's connection has a name of its own, and goes with the job's thread.
class ThreadConnection {
public:
    explicit ThreadConnection(const HostConfig& config)
        : name_(QStringLiteral("relatorios-%1").arg(counter_.fetchAndAddRelaxed(1))),
          db_(OpenReportConnection(config, name_)) {}
    ~ThreadConnection() {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    ThreadConnection(const ThreadConnection&) = delete;
    ThreadConnection& operator=(const ThreadConnection&) = delete;
    QSqlDatabase& Db() { return db_; }

private:
    static inline QAtomicInt counter_;
    QString name_;
    QSqlDatabase db_;
};

}  // namespace

ReportJob::ReportJob(const ReportDefinition& report, const TParams& params, QString parametersLine,
                     const HostConfig& config)
    : report_(report),
      params_(params),
      bound_(BindReportQuery(report.QueryFor(config.databaseDriver), params)),
      config_(config),
      renderer_(report, std::move(parametersLine)) {}

void ReportJob::Start() {
    worker_.Start([this](ReportWorker&) { Run(); });
}

void ReportJob::Run() {
    ThreadConnection connection(config_);
    const QueryLimits limits{report_.file, &worker_.CancelFlag(), config_.queryTimeLimit};
    {
        const ReportSnapshot snapshot(connection.Db(), config_.queryTimeLimit);
        ReadReportRows(connection.Db(), bound_, renderer_.Data(), [this] { Batch(); }, limits);
    }
    worker_.CheckCancel();
    if (!layoutStarted_) renderer_.StartLayout();
    renderer_.Finish();
    worker_.Notify(true);
}

// The layout starts with the first rows (the fields are known by then); the
// GUI thread hears at once of the first page, then now and then.
void ReportJob::Batch() {
    worker_.CheckCancel();
    if (!layoutStarted_) {
        renderer_.StartLayout();
        layoutStarted_ = true;
    }
    renderer_.LayOutNewRows();
    const int pages = renderer_.PageCount();
    worker_.Notify(pagesSeen_ == 0 && pages > 0);
    pagesSeen_ = pages;
}
