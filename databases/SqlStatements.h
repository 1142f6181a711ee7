#pragma once

#include <QString>
#include <QStringView>

#include "HostExport.h"

// How many statements one SQL text holds, as the database that runs it would
// split it at its ';'. A report runs exactly one statement: a text that holds
// more would have the rest silently dropped (SQLite) or run, transaction
// control included (PostgreSQL's simple protocol runs every statement of a
// text), so the count must never be lower than the database's own.
//
// What each dialect reads as one token, so that a ';' inside it does not end
// the statement:
// - both: whitespace; -- comments (to the end of the line); /* */ comments;
//   '...' strings and "..." names, a doubled quote standing for itself.
// - SQLite: `...` and [...] names; variables $name, @name, #name and :name,
//   with "::" and a "(...)" suffix (no space inside), as SQLite reads them.
// - PostgreSQL: nested /* */ comments; E'...' strings with backslash escapes
//   (the session's standard_conforming_strings is on, so plain strings have
//   none); $tag$...$tag$ and $$...$$ strings; $1 parameters; '$' inside a
//   name (a$b); -- ends at a carriage return too.
//
// What a database would refuse or read in a way this reader cannot be sure
// of makes `problem` a Portuguese phrase ("um texto entre aspas (') que não
// termina") and the count unusable: a quote, comment or variable suffix left
// open, and on PostgreSQL a '$' that opens nothing.
enum class SqlDialect { SQLite, PostgreSQL };

struct HOST_EXPORT SqlStatementCount {
    int statements = 0;          // statements holding more than spaces and comments
    qsizetype secondStart = -1;  // where the second one begins, when there is one
    QString problem;             // empty when the text could be read
};

HOST_EXPORT SqlStatementCount CountStatements(QStringView sql, SqlDialect dialect);
