#pragma once

#include <QString>
#include <QStringList>

// The host's command line; the defaults are the host's folders (HostFolders):
//   --module PATH   a module to load (repeatable; default: the modules of
//                   the modules folder, in the build tree the module built
//                   beside the host)
//   --reports DIR   the report definitions (default: the host's reports
//                   folder)
//   --help-dir DIR  the help pages (default: the host's help folder)
//   --db PATH       the SQLite report database (default: sample.db in the
//                   user's data folder), created and filled when missing
//   --script FILE   run a script of user actions headless ('-': standard input)
//   --out DIR       where scripted runs write reports and screenshots
//   --config FILE   the configuration file (default: DefaultConfigFile(),
//                   which may be missing; a file given here must exist)
struct HostOptions {
    QStringList modules;
    QString reportsDir;
    QString helpDir;  // the host's help pages
    QString database;
    QString script;
    QString outputDir;
    QString configFile;
    bool configRequired = false;  // given with --config
    QString error;  // a command line that cannot be used

    static HostOptions Parse(const QStringList& arguments, const QString& hostDir);
};
