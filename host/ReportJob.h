#pragma once

#include <QString>

#include "HostConfig.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportQuery.h"
#include "ReportRenderer.h"
#include "ReportWorker.h"

// A report read and laid out on a thread of its own, through a database
// connection of its own, while the GUI thread paints its complete pages,
// shows its progress and may cancel it. The query runs under a QueryGuard
// (only reading; the job's cancel and the configured time limit stop it).
class ReportJob {
public:
    // Binds the parameters now, on the calling thread: throws EDatabaseError
    // naming a parameter of the query that `params` lacks.
    ReportJob(const ReportDefinition& report, const TParams& params, QString parametersLine,
              const HostConfig& config);
    void Start();

    ReportWorker& Worker() { return worker_; }
    const ReportRenderer& Renderer() const { return renderer_; }
    const ReportDefinition& Report() const { return report_; }
    // The parameters as the query was bound to them.
    const TParams& Params() const { return params_; }
    qsizetype Rows() const { return renderer_.RowCount(); }
    int Pages() const { return renderer_.PageCount(); }
    bool LaidOut() const { return renderer_.Finished(); }

private:
    void Run();
    void Batch();

    ReportDefinition report_;
    TParams params_;
    BoundQuery bound_;
    HostConfig config_;
    ReportRenderer renderer_;
    bool layoutStarted_ = false;
    int pagesSeen_ = 0;
    ReportWorker worker_;  // last: its thread ends before the rest goes
};
