#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "HostExport.h"
#include "Params.h"
#include "ReportDefinition.h"
#include "ReportExport.h"

class ReportJob;
class ReportOutput;

// Runs a report definition into an output the caller chooses
// (ReportOutput): collects the query's named parameters (":P_INICIO") into
// TParams in the order they first appear, lets the caller fill them, binds
// every value to the query by name (never pasting text into the SQL), runs
// the query on the report database and lays the rows out as a paged report
// (title, the period and systems asked for, column headers, group totals,
// page numbers), on a thread of its own, through a connection of its own,
// while the host goes on answering (ReportJob). A report that takes more
// than a moment shows its progress, over the host, with Cancelar; a
// cancelled report raises EAbort and reaches no output. Failures (no
// database, a query error, a file that cannot be written) raise Exception
// with a message in Portuguese. The observers (ReportObservers) hear of the
// filled parameters and of each action completed.
//
// One report at a time: while one runs (the event loop turns meanwhile), Run
// returns at once and Running() is true. A report that goes on being read
// after Run has returned, in a preview left open (ReportOutput::KeepsJob),
// counts too, whichever runner started it: until it is read (or the preview
// is closed) Run only says "Aguarde o fim da leitura do relatório aberto na
// visualização...". A finished preview may stay open beside new reports.
class HOST_EXPORT ReportRunner {
public:
    // Fills the parameters (type unknown, no value) before the query runs;
    // an exception it throws stops the report and reaches the caller.
    using FillParams = std::function<void(TParams& params)>;

    ReportRunner();
    ~ReportRunner();
    ReportRunner(const ReportRunner&) = delete;
    ReportRunner& operator=(const ReportRunner&) = delete;

    // `action` names the run to the observers ("preview", "print").
    void Run(const ReportDefinition& report, ReportOutput& output, const QString& action,
             const FillParams& fill);
    bool Running() const { return running_; }

    // The rows of the last run into an output that keeps them
    // (ReportOutput::KeepsRows), as a new file of the default name in the
    // output folder. Throws Exception when there is none.
    bool HasKeptRows() const { return kept_ != nullptr; }
    ReportExport::Written ExportKept(ReportExport::Format format) const;

    // Saves a copy of `report` under `newTitle` into the user's reports
    // folder (made when missing; see ReportFolders) and gives the new
    // definition: in place of the report in `replacing` when given (an
    // installed one gets the user's copy under its name, its own file stays
    // as it was), else as a new file named by ReportDefinition::WriteNew.
    // Throws Exception for an empty title and when the folder or the file
    // cannot be written.
    static ReportDefinition SaveAs(const ReportDefinition& report, const QString& newTitle,
                                   const QString& replacing = QString());

private:
    std::unique_ptr<ReportJob> StartJob(const ReportDefinition& report,
                                        const FillParams& fill) const;

    bool running_ = false;
    std::unique_ptr<ReportJob> kept_;
};
