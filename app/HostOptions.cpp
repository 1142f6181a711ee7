#include "HostOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString FirstExisting(const QStringList& candidates) {
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
    return candidates.isEmpty() ? QString() : QDir::cleanPath(candidates.constFirst());
}

}  // namespace

HostOptions HostOptions::Parse(const QStringList& arguments, const QString& hostDir) {
    HostOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        const bool known = name == "--module" || name == "--reports" || name == "--help-dir" || name == "--db" || name == "--script" || name == "--out";
        if (!known) {
            options.error = QStringLiteral("Opção desconhecida: %1").arg(name);
            return options;
        }
        if (i + 1 >= arguments.size()) {
            options.error = QStringLiteral("Falta o valor da opção %1").arg(name);
            return options;
        }
        const QString& value = arguments[++i];
        if (name == "--module") options.modules << value;
        else if (name == "--reports") options.reportsDir = value;
        else if (name == "--help-dir") options.helpDir = value;
        else if (name == "--db") options.database = value;
        else if (name == "--script") options.script = value;
        else options.outputDir = value;
    }
    if (options.modules.isEmpty()) options.modules << hostDir + "/rcl04700.so";
    if (options.reportsDir.isEmpty())
        options.reportsDir = FirstExisting({hostDir + "/reports", QStringLiteral(PROJECT_REPORTS_DIR)});
    if (options.helpDir.isEmpty())
        options.helpDir = FirstExisting({hostDir + "/help", QStringLiteral(PROJECT_HELP_DIR)});
    if (options.database.isEmpty())
        options.database = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/sample.db";
    if (options.outputDir.isEmpty()) options.outputDir = QDir::currentPath() + "/out";
    return options;
}
