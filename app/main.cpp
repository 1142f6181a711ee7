// The host application: loads the modules given on the command line into an
// MDI main window, or runs a script of user actions headless.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "ConfigFile.h"
#include "DatabaseCommand.h"
#include "DatabaseUrl.h"
#include "DateUtils.h"
#include "Forms.h"
#include "HostConfig.h"
#include "HostLocale.h"
#include "HostOptions.h"
#include "HostWindow.h"
#include "ReportOutputChoice.h"
#include "ReportProgressDialog.h"
#include "ReportWorker.h"
#include "SafeFile.h"
#include "ScriptRun.h"
#include "UserState.h"
#include "WindowPlacement.h"

namespace {

bool HasDisplay() { return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

// Throws Exception for a configuration file or a database address that
// cannot be used. --db wins over the file's [database] url; with neither the
// reports read the host's sample database, made on first use in the user's
// data folder. Any other SQLite file must exist: a typo or an unmounted share
// must never turn into a new database of invented data.
void Configure(const HostOptions& options) {
    HostConfig& config = HostConfig::Instance();
    ReadConfigFile(options.configFile, options.configRequired, config);
    config.reportsDir = options.reportsDir;
    config.userReportsDir = options.userReportsDir;
    config.helpDir = options.helpDir;
    const bool fromFile = !DatabaseIsFile(config) || !config.databaseName.isEmpty();
    config.sampleDatabase = options.database.isEmpty() && !fromFile;
    if (!options.database.isEmpty() || config.sampleDatabase)
        ApplyDatabaseUrl(config.sampleDatabase ? options.sampleDatabase : options.database, config);
    config.outputDir = options.outputDir;
    if (options.today.isValid()) SetToday(FromQDate(options.today));
    config.screenStateDir = UserStateDir() + QStringLiteral("/telas");
    // Scripted runs: nobody watches their progress, and they neither take
    // nor leave a screen's remembered values nor the preview's side panel.
    if (!options.script.isEmpty()) {
        ShowProgressDialogs(false);
        config.rememberScreens = false;
    } else {
        config.previewStateFile = UserStateDir() + QStringLiteral("/visualizacao.json");
    }
    if (options.createDatabase) {
        if (config.sampleDatabase)
            throw Exception(QStringLiteral("--create-db cria o banco de dados indicado em --db (ou em "
                                           "[database] url do arquivo de configuração)."));
        return;
    }
    if (!DatabaseIsFile(config)) return;
    if (config.sampleDatabase) QDir().mkpath(QFileInfo(config.databaseName).absolutePath());
    else if (!QFileInfo::exists(config.databaseName))
        throw Exception(QStringLiteral("O banco de dados de relatórios %1 não existe. Para criar um "
                                       "novo: rclhost --db %1 --create-db")
                            .arg(QDir::toNativeSeparators(config.databaseName)));
}

// A host killed while writing leaves SafeFile's temporary files behind; a
// day after its last write none belongs to a host still writing. The
// installed reports folder is never touched.
void RemoveLeftovers(const HostConfig& config) {
    for (const QString& dir : {config.outputDir, config.userReportsDir})
        SafeFile::RemoveLeftovers(dir, std::chrono::hours(24));
}

// A report abandoned while its database kept it busy may still be running:
// it is given a moment, and when it still runs the program ends without its
// destructors, which would take away what that work still uses (Qt's
// database connections) under it. What the host wrote is flushed first.
int Ended(int status) {
    if (WaitForAbandonedWork(std::chrono::milliseconds(500))) return status;
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    // --help and --version answer before anything needs a display.
    if (const QString information = HostOptions::Information(arguments); !information.isNull()) {
        std::fputs(information.toLocal8Bit().constData(), stdout);
        return 0;
    }
    const bool scripted = arguments.contains("--script") || arguments.contains("--create-db");
    // A reader that closes the events' pipe is a failed write to report
    // (status 1), not a signal that ends the host before it can say so.
    if (scripted) std::signal(SIGPIPE, SIG_IGN);
    if (scripted && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!scripted && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // A mistyped option is said as such, not taken for a missing display.
        if (const QString error = HostOptions::ArgumentError(arguments); !error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "Não há tela disponível. Para rodar sem tela use o modo de script:\n"
                             "  rclhost --script ARQUIVO [--out PASTA]\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("rclhost");
    QApplication::setDesktopFileName("rclhost");
    QApplication::setWindowIcon(QIcon(":/icons/rclhost.svg"));
    // The screens' fixed geometry, their focus frames and group boxes are
    // drawn and checked in Fusion; a desktop's own style (wider radio
    // indicators, other margins) would cut their captions.
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (!UseBrazilianPortuguese())
        std::fprintf(stderr, "Aviso: as traduções do Qt não estão instaladas; os textos do Qt ficam em inglês.\n");
    const HostOptions options = HostOptions::Parse(arguments, QApplication::applicationDirPath());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 1;
    }
    try {
        Configure(options);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        // Started from the desktop's menu, nobody reads standard error.
        if (!scripted) QMessageBox::critical(nullptr, QStringLiteral("Gestão Empresarial"), e.Message());
        return 1;
    }
    if (options.createDatabase) return CreateDatabaseCommand(HostConfig::Instance(), options.sampleRows);
    RemoveLeftovers(HostConfig::Instance());
    HostWindow window;
    try {
        for (const QString& module : options.modules) window.AddModule(module);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    if (!scripted) window.RememberPlacement(WindowPlacementFile());
    window.show();
    QApplication::setActiveWindow(&window);
    return Ended(scripted ? RunScript(window, options.script, options.outputDir) : QApplication::exec());
}
