#pragma once

#include <QString>
#include <functional>

#include "HostExport.h"
#include "ReportRenderer.h"

class QIODevice;

// A report's pages written as a PDF by cairo (libcairo, opened on first use
// as the other optional libraries are: a run that writes no PDF loads none
// of it), text in the system's "Sans Serif" font file (DejaVu Sans) embedded
// as subsets and extractable. The same page commands as the screen's
// (PageComposer), so a PDF page looks as the preview shows it.
//
// Where the machine has more than one core, pages are made on a thread of
// their own a few pages ahead of the writer and written strictly in order.
namespace PdfPages {

// Whether libcairo and every function the writer needs could be opened.
HOST_EXPORT bool Available();
// The library's file name, for messages ("libcairo.so.2").
HOST_EXPORT QString LibraryFile();

// Writes pages `first` to `last` (from 1, complete pages only) of `renderer`
// into `device`, titled `title`. Before each page `progress` gets its number
// and may throw (EAbort) to stop; the pages made ahead are then dropped and
// nothing more is written. Throws Exception when cairo is not Available or
// fails for a reason of its own; a device that refuses bytes ends the
// writing early without an exception of its own, and the device's owner
// names the reason (SafeFile::Commit). A page the report does not have (or
// a range backwards) throws Exception before anything is written.
HOST_EXPORT void Write(const ReportRenderer& renderer, const QString& title, QIODevice& device, int first, int last,
                       const std::function<void(int page)>& progress = {});

}  // namespace PdfPages
