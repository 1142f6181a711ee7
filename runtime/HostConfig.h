#pragma once

#include <QString>
#include <chrono>

#include "HostExport.h"

// Where the host's services find their files and how they show their work.
// The host application fills it from its configuration file and command
// line; tests set it directly.
struct HOST_EXPORT HostConfig {
    // The folder of report definition files that come with the host; the
    // host only reads it (installed, it is under /usr).
    QString reportsDir;
    // The user's own report definitions, saved with "Salvar como"; listed
    // beside reportsDir and made when a definition is first saved. Empty:
    // nothing can be saved.
    QString userReportsDir;
    // The folder of help pages, one folder per help file (the host's help
    // window tells how a topic is found there).
    QString helpDir;
    // The database connection: the name of its kind (DatabaseKinds: "sqlite",
    // "postgresql") and its database. For "sqlite" the database is the path
    // of a file that exists (or the sample, below). For "postgresql" the
    // server's host (or socket folder), port (-1: the default), user and
    // libpq's further connection options ("sslmode=require;connect_timeout=10");
    // empty ones are left to libpq's environment (PGHOST, PGUSER...).
    // ApplyDatabaseUrl fills them.
    QString databaseKind = QStringLiteral("sqlite");
    QString databaseName;
    QString databaseHost;
    int databasePort = -1;
    QString databaseUser;
    QString databaseOptions;
    // The reports read the host's own sample of invented cleanups, made at
    // databaseName on first use: the window's title, every page of every
    // report, the scripts' events and the exports say so.
    bool sampleDatabase = false;
    // Only ever what the user typed into the password prompt, kept for the
    // session; never written anywhere. Otherwise libpq reads PGPASSWORD or
    // its password file.
    QString databasePassword;
    // Where files made without asking go: the exports of scripted runs (the
    // host application writes their reports there too).
    QString outputDir;
    // A report query still running after this long is stopped with a
    // message; 0 for no limit.
    std::chrono::milliseconds queryTimeLimit{std::chrono::minutes(5)};
    // The day the weeks of the period presets start on: Sunday, as calendars
    // in Brazil show them, or Monday.
    Qt::DayOfWeek firstDayOfWeek = Qt::Sunday;
    // The report screens open with the values of their last closing
    // ([screens] remember); off, each opens fresh. Scripted runs leave it off.
    bool rememberScreens = false;
    // Where they keep them, one file a screen code; empty: nowhere.
    QString screenStateDir;
    // The file where the report preview keeps its side panel between runs
    // (PreviewSidePanel); empty: neither read nor written, as in scripted
    // runs.
    QString previewStateFile;

    static HostConfig& Instance();
};
