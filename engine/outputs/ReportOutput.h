#pragma once

#include <QString>

#include "ReportDefinition.h"
#include "ReportRenderer.h"

class QWidget;
class SafeFile;

// Where the pages of a report go once they are all laid out: a PDF file or a
// printer. The pages are painted on a thread of their own while the host
// answers, with progress over `host` (none in unattended runs) and Cancel. A
// PDF is written through SafeFile: a cancelled or failed one leaves no file,
// and an earlier file of that name stays as it was. Each throws EAbort when
// cancelled and Exception, naming the file and the reason, when writing
// fails.
namespace ReportOutput {

// Pages `first` to `last` (from 1) into `file`, committed at the end.
void WritePdf(const ReportRenderer& renderer, const ReportDefinition& report, SafeFile& file, QWidget* host,
              int first, int last);
// Every page as "<code>-<action>-<n>.pdf" in the host's output folder, the
// first n free when it is written; gives its path.
QString WriteToOutputFolder(const ReportRenderer& renderer, const ReportDefinition& report,
                            const QString& action);
// Asks where ("Salvar relatório em PDF"; EAbort when the user cancels) and
// writes every page there; gives the path.
QString AskAndWritePdf(const ReportRenderer& renderer, const ReportDefinition& report, QWidget* host);
// The print dialog, then the pages it asks for (all, a range, or `current`,
// the page on view, for "Página atual"), on the printer or, printing to a
// file, into a PDF. Gives the PDF's path, or "" on a printer.
//
// For a printer the pages are first spooled into a PDF of the host's own, in
// a temporary folder only the user can read; only once the last page is
// written is the job handed to the print system (CUPS), whole, with the
// printer, copies, collation, sides and colour the dialog chose. A cancel or
// a failure before that sends nothing. The spool file is removed in every
// case. A print system that refuses the job throws Exception naming the
// printer and its reason.
QString Print(const ReportRenderer& renderer, const ReportDefinition& report, QWidget* host, int current = 0);

}  // namespace ReportOutput
