#pragma once

#include <QString>
#include <QStringList>

// The host's command line:
//   --module PATH   a module to load (repeatable; default: the module built
//                   beside the host)
//   --reports DIR   the report definitions (default: reports/ beside the
//                   host, else the project's reports/ folder)
//   --help-dir DIR  the help pages (default: help/ beside the host, else the
//                   project's help/ folder)
//   --db PATH       the SQLite report database (default: sample.db in the
//                   user's data folder), created and filled when missing
//   --script FILE   run a script of user actions headless ('-': standard input)
//   --out DIR       where scripted runs write reports and screenshots
struct HostOptions {
    QStringList modules;
    QString reportsDir;
    QString helpDir;
    QString database;
    QString script;
    QString outputDir;
    QString error;  // a command line that cannot be used

    static HostOptions Parse(const QStringList& arguments, const QString& hostDir);
};
