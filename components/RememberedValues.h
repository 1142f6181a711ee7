#pragma once

#include <QDate>
#include <QString>

#include "HostExport.h"

// What a report screen keeps of its values between openings, when the host
// remembers screens (TfrmDadosGerRel::RememberValues), and its file: one a
// screen, "<folder>/<screen code>.json", a JSON object such as
//
//   {"relatorio": "RCL047.rpt", "periodo": "mes-passado",
//    "opcao": "rbtListaSist", "lista": "'Estoque'"}
//
// with "inicio" and "fim" (AAAA-MM-DD) in place of "periodo" when no preset
// was in force. Every key may be missing; other keys are ignored.
struct HOST_EXPORT RememberedValues {
    QString report;  // the chosen definition's file name, without its folder
    QString preset;  // the script name of the preset in force; empty: none
    QDate first;     // the period's dates when no preset is in force;
    QDate last;      // both invalid: no period
    QString option;  // the object name of the checked option; empty: none
    QString list;    // the list the screen keeps as a text for its option
    bool operator==(const RememberedValues&) const = default;
};

// The longest list kept; the systems' lists take well under a hundred
// characters.
inline constexpr qsizetype kMaxRememberedList = qsizetype{16} * 1024;

// The file of the screen `screenCode` in `folder`; empty when either is
// empty or the code is not a plain name (letters, digits, '_', '-').
HOST_EXPORT QString RememberedValuesFile(const QString& folder, const QString& screenCode);

// The values the file holds. Throws Exception whose message is the cause in
// Portuguese, to be said after "...não foram restaurados: ", naming the file
// when it cannot be read (not a regular file, over 64 KiB, unreadable), is
// not a JSON object, or holds a value of the wrong type, a preset that does
// not exist, a date that is not a day of the years 1 to 9999 written
// AAAA-MM-DD, only one of the dates, a period that ends before it starts, a
// report that is not a file name, or a list over kMaxRememberedList.
HOST_EXPORT RememberedValues ReadRememberedValues(const QString& file);

// Writes the values to the file, whole or not at all (SafeFile), making its
// folder. Throws Exception naming the file (or folder) and the cause.
HOST_EXPORT void WriteRememberedValues(const QString& file, const RememberedValues& values);

// Removes the file (a link itself, not what it points to). Nothing to do when
// there is none or it is a folder, which the host never wrote. Throws
// Exception naming the file and the cause when it stays.
HOST_EXPORT void ForgetRememberedValues(const QString& file);
