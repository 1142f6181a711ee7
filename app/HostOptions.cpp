#include "HostOptions.h"

#include <QDir>

#include "ConfigFile.h"
#include "HostFolders.h"

namespace {

int SampleRows(const QString& value, QString& error) {
    bool ok = false;
    const int rows = value.toInt(&ok);
    if (!ok || rows < 1 || rows > 100'000'000)
        error = QStringLiteral("O número de limpezas de exemplo de --sample deve ser de 1 a 100000000: %1").arg(value);
    return rows;
}

// A day of the years 1 to 9999, written as AAAA-MM-DD.
QDate Today(const QString& value, QString& error) {
    const QDate day = value.size() == 10 ? QDate::fromString(value, Qt::ISODate) : QDate();
    if (!day.isValid() || day.year() < 1)
        error = QStringLiteral("A data de --today deve ser um dia que existe, escrito AAAA-MM-DD: %1")
                    .arg(value.left(40));
    return day;
}

}  // namespace

HostOptions HostOptions::Parse(const QStringList& arguments, const QString& hostDir) {
    HostOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        if (name == "--create-db") {
            options.createDatabase = true;
            continue;
        }
        const bool known = name == "--module" || name == "--reports" || name == "--help-dir" || name == "--db" ||
                           name == "--script" || name == "--out" || name == "--config" || name == "--sample" ||
                           name == "--today";
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
        else if (name == "--config") options.configFile = value;
        else if (name == "--sample") options.sampleRows = SampleRows(value, options.error);
        else if (name == "--today") options.today = Today(value, options.error);
        else options.outputDir = value;
        if (!options.error.isEmpty()) return options;
    }
    if (options.sampleRows > 0 && !options.createDatabase) {
        options.error = QStringLiteral("A opção --sample só vale com --create-db");
        return options;
    }
    const HostFolders folders = HostFolders::Of(hostDir);
    if (options.modules.isEmpty()) options.modules = folders.modules;
    if (options.modules.isEmpty()) options.error = QStringLiteral("Nenhum módulo encontrado em %1").arg(folders.modulesDir);
    if (options.reportsDir.isEmpty()) options.reportsDir = folders.reportsDir;
    if (options.helpDir.isEmpty()) options.helpDir = folders.helpDir;
    options.sampleDatabase = folders.userDataDir + "/sample.db";
    options.userReportsDir = folders.userReportsDir;
    if (options.outputDir.isEmpty()) options.outputDir = QDir::currentPath() + "/out";
    options.configRequired = !options.configFile.isEmpty();
    if (options.configFile.isEmpty()) options.configFile = DefaultConfigFile();
    return options;
}
