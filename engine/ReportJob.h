#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "HostConfig.h"
#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"
#include "ReportRenderer.h"
#include "ReportWorker.h"

// A report read and laid out on a thread of its own, through a database
// connection of its own, while the GUI thread paints its complete pages,
// shows its progress and may cancel it. The query runs under a QueryGuard
// (only reading; the job's cancel and the configured time limit stop it).
//
// A job that goes while its thread is still busy (cancelled, or past its
// time limit, while the database keeps it in one long step, holds it waiting
// for a lock or does not answer) is abandoned after a moment
// (ReportWorker::kAbandonAfter): the thread keeps what it uses, ends on its
// own and closes its connection; nobody hears of it again.
class HOST_EXPORT ReportJob {
public:
    // Binds the parameters now, on the calling thread: throws EDatabaseError
    // naming a parameter of the query that `params` lacks.
    ReportJob(const ReportDefinition& report, const TParams& params, QString parametersLine,
              const HostConfig& config);
    ~ReportJob();
    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;
    void Start();

    // Started, and still reading or laying out its rows: neither ended nor
    // cancelled.
    bool Reading() const;
    // Whether any job alive (on the GUI thread) is reading: a preview left
    // open while the rest of its report is read is one. One report reads at
    // a time.
    static bool AnyReading();

    ReportWorker& Worker() { return worker_; }
    const ReportRenderer& Renderer() const { return shared_->renderer; }
    const ReportDefinition& Report() const { return shared_->report; }
    // The parameters as the query was bound to them.
    const TParams& Params() const { return shared_->params; }
    qsizetype Rows() const { return shared_->renderer.RowCount(); }
    int Pages() const { return shared_->renderer.PageCount(); }
    bool LaidOut() const { return shared_->renderer.Finished(); }
    // The connection is being opened, or the database keeps the query
    // waiting (a lock held by another program).
    bool WaitingForDatabase() const { return shared_->waiting.load(); }

    // What the job's thread uses.
    struct Shared {
        ReportDefinition report;
        TParams params;
        BoundQuery bound;
        HostConfig config;
        ReportRenderer renderer;
        std::atomic<bool> waiting{true};
        bool layoutStarted = false;
        int pagesSeen = 0;
    };

private:
    std::shared_ptr<Shared> shared_;
    ReportWorker worker_;  // last: it ends before the rest goes
};
