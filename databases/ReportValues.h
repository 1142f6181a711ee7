#pragma once

#include <QString>
#include <QVariant>

#include "HostExport.h"
#include "Params.h"

// The two forms of a report parameter's value outside the screen: what the
// query is bound to and what a person reads (page header, messages). Every
// part of the host that binds or shows a parameter goes through these two, so
// each value is converted once each way, by its type and never by its name.

// What the database receives: a date as 'yyyy-mm-dd' text, or 'yyyy-mm-dd
// hh:mm:ss' when it has a time of day and the parameter is not ftDate (the way
// the report tables store them, and text every server casts to its own date
// types); a text as itself, the empty text as '' (never NULL); whole numbers
// as 64-bit integers, real numbers as doubles, Booleans as 1 and 0; an
// unassigned or null value as NULL.
HOST_EXPORT QVariant BoundValue(const TParam& param);

// What a person reads: a date as dd/mm/yyyy, with " hh:mm" when it has a
// time of day and the parameter is not ftDate; a text as itself, except a text in the lookup list's
// form (a JSON array of texts, see PesquisaLista), which reads as its items joined by
// ", " (an empty array: the empty text); numbers with Brazilian separators
// (1.234 and 1.234,5); Booleans as "Sim" and "Não"; an unassigned or null
// value as the empty text.
HOST_EXPORT QString DisplayText(const TParam& param);
