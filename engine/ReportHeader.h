#pragma once

#include <QString>
#include <QStringList>

#include "HostExport.h"
#include "Params.h"

// A report's header line, filled from its template (ReportDefinition's
// HeaderLine; the syntax is described there) with the parameters' display
// texts (DisplayText). A parameter the collection lacks reads as the empty
// text.
HOST_EXPORT QString FillHeaderLine(const QString& headerTemplate, const TParams& params);

// The parameter names the template's placeholders use, each once, in order.
// Throws EPropertyValue, saying what and at which character, for a template
// that does not follow the syntax.
HOST_EXPORT QStringList HeaderLineParams(const QString& headerTemplate);
