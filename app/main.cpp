// The host application: loads the modules given on the command line into an
// MDI main window, or runs a script of user actions headless.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTextStream>
#include <cstdio>

#include "DatabaseCommand.h"
#include "DatabaseUrl.h"
#include "Forms.h"
#include "HostConfig.h"
#include "HostOptions.h"
#include "HostWindow.h"
#include "ScriptReader.h"
#include "ScriptRunner.h"

namespace {

bool HasDisplay() { return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

QString ReadScriptText(const QString& path, QString& error) {
    QFile file;
    const bool opened = path == "-" ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) error = QStringLiteral("Não foi possível ler o script %1").arg(path);
    return QString::fromUtf8(file.readAll());
}

// Throws Exception for a database address that cannot be used.
void Configure(const HostOptions& options) {
    HostConfig& config = HostConfig::Instance();
    config.reportsDir = options.reportsDir;
    config.helpDir = options.helpDir;
    ApplyDatabaseUrl(options.database, config);
    config.outputDir = options.outputDir;
    config.unattended = !options.script.isEmpty();
    if (config.databaseDriver == QLatin1String("QSQLITE")) QDir().mkpath(QFileInfo(options.database).absolutePath());
}

int RunScript(HostWindow& window, const HostOptions& options) {
    QString error;
    const QString text = ReadScriptText(options.script, error);
    QTextStream out(stdout);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    try {
        const std::vector<ScriptLine> lines = ReadScript(text);
        QDir().mkpath(options.outputDir);
        ScriptRunner runner(window, out, options.outputDir);
        return runner.Run(lines);
    } catch (const ScriptSyntaxError& e) {
        out << QStringLiteral("{\"event\":\"error\",\"line\":%1,\"text\":\"%2\"}\n").arg(e.line).arg(e.text);
        return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool scripted = arguments.contains("--script") || arguments.contains("--create-db");
    if (scripted && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!scripted && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "Não há tela disponível. Para rodar sem tela use o modo de script:\n"
                             "  rclhost --script ARQUIVO [--out PASTA]\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("rclhost");
    QApplication::setDesktopFileName("rclhost");
    QApplication::setWindowIcon(QIcon(":/icons/rclhost.svg"));
    const HostOptions options = HostOptions::Parse(arguments, QApplication::applicationDirPath());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 1;
    }
    try {
        Configure(options);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    if (options.createDatabase) return CreateDatabaseCommand(HostConfig::Instance(), options.sampleRows);
    HostWindow window;
    try {
        for (const QString& module : options.modules) window.AddModule(module);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
    window.show();
    QApplication::setActiveWindow(&window);
    if (scripted) return RunScript(window, options);
    return QApplication::exec();
}
