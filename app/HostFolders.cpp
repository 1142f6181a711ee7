#include "HostFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString Below(const QString& hostDir, const char* relative) {
    return QDir::cleanPath(hostDir + '/' + relative);
}

// Only plain *.so names: the versioned names beside them are links to the
// same library, which would otherwise be listed once per name.
QStringList ModulesIn(const QString& dir) {
    QStringList modules;
    const QDir folder(dir);
    for (const QString& name : folder.entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name))
        modules << folder.filePath(name);
    return modules;
}

}  // namespace

HostFolders HostFolders::Of(const QString& hostDir) {
    HostFolders folders;
    const bool installed = QDir(Below(hostDir, RCLHOST_DATA_FROM_BIN)).exists();
    if (installed) {
        folders.modulesDir = Below(hostDir, RCLHOST_MODULES_FROM_BIN);
        folders.modules = ModulesIn(folders.modulesDir);
        folders.reportsDir = Below(hostDir, RCLHOST_DATA_FROM_BIN "/reports");
        folders.helpDir = Below(hostDir, RCLHOST_DATA_FROM_BIN "/help");
    } else {
        folders.modulesDir = Below(hostDir, "modules");
        folders.modules = ModulesIn(folders.modulesDir);
        folders.reportsDir = Below(hostDir, "reports");
        folders.helpDir = Below(hostDir, "help");
    }
    folders.userDataDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/rclhost";
    folders.userReportsDir = folders.userDataDir + "/reports";
    return folders;
}
