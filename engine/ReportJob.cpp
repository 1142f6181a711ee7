#include "ReportJob.h"

#include <QAtomicInt>
#include <QList>
#include <QSqlDatabase>

#include "DatabaseKinds.h"
#include "QueryGuard.h"
#include "ReportDatabase.h"
#include "ReportSnapshot.h"

namespace {

// The jobs started and not yet gone; only the GUI thread makes and ends jobs.
QList<const ReportJob*>& StartedJobs() {
    static QList<const ReportJob*> jobs;
    return jobs;
}

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

// The layout starts with the first rows (the fields are known by then); the
// GUI thread hears at once of the first page, then now and then.
void Batch(ReportJob::Shared& job, WorkerState& worker) {
    worker.CheckCancel();
    job.waiting.store(false);
    if (!job.layoutStarted) {
        job.renderer.StartLayout();
        job.layoutStarted = true;
    }
    job.renderer.LayOutNewRows();
    const int pages = job.renderer.PageCount();
    worker.Notify(job.pagesSeen == 0 && pages > 0);
    job.pagesSeen = pages;
}

void Run(ReportJob::Shared& job, WorkerState& worker) {
    ThreadConnection connection(job.config);
    worker.CheckCancel();
    job.waiting.store(false);
    const DatabaseKind* kind = DatabaseKinds::Named(job.config.databaseKind);
    const QueryLimits limits{job.report.file, &worker.CancelFlag(), job.config.queryTimeLimit,
                             &job.waiting, kind};
    {
        const ReportSnapshot snapshot(connection.Db(), job.config.queryTimeLimit, kind);
        ReadReportRows(
            connection.Db(), job.bound, job.renderer.Data(), [&] { Batch(job, worker); }, limits);
    }
    worker.QueryEnded();
    worker.CheckCancel();
    if (!job.layoutStarted) job.renderer.StartLayout();
    job.renderer.Finish();
    worker.Notify(true);
}

}  // namespace

ReportJob::ReportJob(const ReportDefinition& report, const TParams& params, QString parametersLine,
                     const HostConfig& config)
    : shared_(new Shared{report, params, BindReportQuery(report.QueryFor(config.databaseKind), params),
                         config,
                         ReportRenderer(report, std::move(parametersLine),
                                        config.sampleDatabase ? QStringLiteral("Dados de demonstração")
                                                              : QString())}) {}

ReportJob::~ReportJob() { StartedJobs().removeOne(this); }

bool ReportJob::Reading() const {
    return StartedJobs().contains(this) && !worker_.Ended() && !worker_.Cancelled();
}

bool ReportJob::AnyReading() {
    for (const ReportJob* job : StartedJobs())
        if (job->Reading()) return true;
    return false;
}

void ReportJob::Start() {
    StartedJobs().append(this);
    worker_.SetTimeLimit(
        shared_->config.queryTimeLimit,
        QueryTimeLimitMessage(shared_->report.file, shared_->config.queryTimeLimit));
    worker_.Start([shared = shared_](WorkerState& worker) { Run(*shared, worker); },
                  ReportWorker::Ending::Abandon);
}
