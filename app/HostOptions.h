#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The host's command line; the defaults are the host's folders (HostFolders):
//   --module PATH   a module to load (repeatable; default: the modules of
//                   the modules folder, in the build tree the module built
//                   beside the host)
//   --reports DIR   the report definitions (default: the host's reports
//                   folder)
//   --help-dir DIR  the help pages (default: the host's help folder)
//   --db PATH|URI   the report database: a SQLite file that exists, or a
//                   PostgreSQL server, postgresql://user@host:port/db (see
//                   DatabaseUrl.h; never with a password); default: the
//                   configuration file's [database] url, else the host's
//                   sample, sampleDatabase, made on first use
//   --create-db     create the report tables on the --db server, or a new
//                   SQLite file (refused where they or it exist) and end; with
//   --sample ROWS   also fill them with that many sample cleanups
//   --script FILE   run a script of user actions headless ('-': standard input)
//   --out DIR       where scripted runs write reports and screenshots
//   --today DATE    today's date for the whole run, AAAA-MM-DD (the date
//                   keys and period presets start from it)
//   --config FILE   the configuration file (default: DefaultConfigFile(),
//                   which may be missing; a file given here must exist)
//   -h, --help      the options in Portuguese (Usage), and end
//   --version       "rclhost <version>", and end
struct HostOptions {
    QStringList modules;
    QString reportsDir;
    QString userReportsDir;  // where saved definitions go: never --reports
    QString helpDir;  // the host's help pages
    QString database;        // as given; empty when not
    QString sampleDatabase;  // sample.db in the user's data folder
    QString script;
    QString outputDir;
    QString configFile;
    bool configRequired = false;  // given with --config
    bool createDatabase = false;
    QDate today;  // --today; invalid when not given
    int sampleRows = 0;  // with createDatabase; 0: the tables only
    QString error;       // a command line that cannot be used

    static HostOptions Parse(const QStringList& arguments, const QString& hostDir);
    // What --help or --version asks for (the first of them, among the
    // options before any that cannot be used), or a null text. Needs no
    // application object, so it works without a display.
    static QString Information(const QStringList& arguments);
    // Why the options as written cannot be used (an unknown option, a
    // missing value...), or the empty text; folders are not looked at.
    static QString ArgumentError(const QStringList& arguments);
    static QString Usage();
};
