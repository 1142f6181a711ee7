#pragma once

#include <QString>

#include "DateUtils.h"
#include "Dialogs.h"
#include "HostExport.h"

// Shows `text` to the user as an error (through the application's messages,
// so a scripted run sees it too). With `abort` true it then ends the current
// user action by raising EAbort: control does not come back to the caller.
HOST_EXPORT void MensErro(const QString& text, bool abort);

// The name of the date's day of the week, in the words the screens use
// beside their date fields: "Domingo", "Segunda", "Terça", "Quarta",
// "Quinta", "Sexta", "Sábado". The date 0 (what an empty date field gives)
// has no name: the empty text.
HOST_EXPORT QString NomeSemana(TDateTime date);
