#pragma once

#include <QString>
#include <QStringList>

// Where the host finds what comes with it, from the folder of its own
// executable; never from the tree it was built in.
//  - Installed (a share/rclhost folder beside its bin folder): the modules
//    are the *.so files of lib/rclhost/modules (versioned names such as
//    rcl04700.so.4 are the same library and are skipped), the report
//    definitions and the help pages are share/rclhost/reports and
//    share/rclhost/help.
//  - In the build tree: the same layout beside the host: the *.so files of
//    modules/, and reports/ and help/ (add_report_module builds each module
//    there and merges its reports and help into those two folders).
// The user's own files (the sample database, the report definitions saved
// with "Salvar como" in reports/) live in the user's data folder,
// $XDG_DATA_HOME/rclhost (~/.local/share/rclhost), installed or not: the
// host never writes beside itself.
struct HostFolders {
    QString modulesDir;   // the folder whose modules load without --module
    QStringList modules;  // those modules, by file name order
    QString reportsDir;
    QString helpDir;
    QString userDataDir;
    QString userReportsDir;

    static HostFolders Of(const QString& hostDir);
};
