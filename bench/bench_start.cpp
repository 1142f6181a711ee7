// The host's start against a minimal Qt MDI program's, both started as
// processes: from the start of the process to its main window shown and its
// events run (idle), then the end. The host runs a script of one `state`
// line, headless, with no module opened; the minimal program
// (start_minimal_mdi.cpp: an application, a main window with an MDI area and
// a menu) shows its window and runs its events as the runner does after an
// action. Timed here; after the table, each is started once more to count
// the shared libraries it loads (the dynamic loader's log) and the
// instructions it runs (valgrind's cachegrind, which the machine's load does
// not sway; left out, and said, when valgrind is not installed). The target
// is on instructions: the host at most 1.3x the minimal program.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "BenchMain.h"

namespace {

// A home of its own for the children, so that the host reads no
// configuration and writes nothing of the user's.
class StartFolder {
public:
    StartFolder() {
        if (!dir_.isValid()) qFatal("no temporary folder for the start benchmark");
        for (const char* sub : {"home", "run", "data", "config", "out"}) QDir(dir_.path()).mkpath(sub);
        QFile::setPermissions(Path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile script(Path("start.script"));
        if (!script.open(QIODevice::WriteOnly) || script.write("state\n") != 6) qFatal("the start script was not written");
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment;
        environment.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
        environment.insert("HOME", Path("home"));
        environment.insert("XDG_RUNTIME_DIR", Path("run"));
        environment.insert("XDG_DATA_HOME", Path("data"));
        environment.insert("XDG_CONFIG_HOME", Path("config"));
        environment.insert("LC_ALL", "C.UTF-8");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        return environment;
    }

private:
    QTemporaryDir dir_;
};

const StartFolder& Folder() {
    static const StartFolder folder;
    return folder;
}

struct Program {
    QString path;
    QStringList arguments;
};

Program Host() {
    return {QStringLiteral(HOST_PATH),
            {"--script", Folder().Path("start.script"), "--out", Folder().Path("out")}};
}
Program MinimalMdi() { return {QStringLiteral(MINIMAL_MDI_PATH), {}}; }

// Runs `program` to its end, `prefix` (a tool) before it and `extra` added to
// its environment; what it writes is dropped. False unless it ended with 0.
bool RunToEnd(const Program& program, const QStringList& prefix = {},
              const QProcessEnvironment& extra = QProcessEnvironment()) {
    QProcess child;
    QProcessEnvironment environment = Folder().Environment();
    environment.insert(extra);
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    const QStringList command = prefix + QStringList{program.path} + program.arguments;
    child.start(command.front(), command.mid(1));
    return child.waitForFinished(600'000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

void Start(benchmark::State& state, const Program& program) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (!RunToEnd(program)) {
            state.SkipWithError("o programa não terminou com 0");
            break;
        }
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    }
}
void BM_Start_Host(benchmark::State& state) { Start(state, Host()); }
void BM_Start_MinimalMdi(benchmark::State& state) { Start(state, MinimalMdi()); }
BENCHMARK(BM_Start_Host)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Start_MinimalMdi)->Unit(benchmark::kMillisecond)->UseManualTime();

// The shared objects the program loaded (its own and the plugins opened
// later alike), from the dynamic loader's log, or nothing when it failed.
std::optional<int> LibrariesLoaded(const Program& program) {
    const QString log = Folder().Path("loader");
    QProcessEnvironment extra;
    extra.insert("LD_DEBUG", "files");
    extra.insert("LD_DEBUG_OUTPUT", log);
    if (!RunToEnd(program, {}, extra)) return std::nullopt;
    QSet<QString> loaded;
    const QDir folder(Folder().Path(""));
    for (const QString& name : folder.entryList({"loader.*"}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (const int at = line.indexOf("calling init: "); at >= 0) loaded << QString::fromUtf8(line.mid(at + 14));
        file.remove();
    }
    return loaded.isEmpty() ? std::nullopt : std::optional<int>(static_cast<int>(loaded.size()));
}

// The instructions the program ran, child processes aside, or nothing.
std::optional<double> InstructionsRun(const QString& valgrind, const Program& program) {
    const QString log = Folder().Path("valgrind.log");
    if (!RunToEnd(program, {valgrind, "--tool=cachegrind", "--cache-sim=no", "--cachegrind-out-file=/dev/null",
                            "--log-file=" + log}))
        return std::nullopt;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("I\\s+refs:\\s+([\\d,]+)")).match(QString::fromUtf8(file.readAll()));
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).remove(',').toDouble();
}

void PrintCounts() {
    const std::optional<int> hostLibraries = LibrariesLoaded(Host());
    const std::optional<int> minimalLibraries = LibrariesLoaded(MinimalMdi());
    std::printf("\nBibliotecas compartilhadas carregadas: anfitrião %d, programa MDI mínimo %d\n",
                hostLibraries.value_or(-1), minimalLibraries.value_or(-1));
    if (!hostLibraries || !minimalLibraries) std::printf("  bibliotecas: ERROR OCCURRED (o programa falhou)\n");
    const QString valgrind = QStandardPaths::findExecutable("valgrind");
    if (valgrind.isEmpty()) {
        std::printf("Instruções não contadas: o valgrind não está instalado.\n");
        return;
    }
    const std::optional<double> host = InstructionsRun(valgrind, Host());
    const std::optional<double> minimal = InstructionsRun(valgrind, MinimalMdi());
    if (!host || !minimal || *minimal <= 0) {
        std::printf("  instruções: ERROR OCCURRED (o programa falhou sob o valgrind)\n");
        return;
    }
    const double ratio = *host / *minimal;
    std::printf("Instruções: anfitrião %.1f milhões, programa MDI mínimo %.1f milhões\n", *host / 1e6, *minimal / 1e6);
    std::printf("  início: anfitrião / programa MDI mínimo, instruções %9.2fx     (alvo: até 1.30x)  %s\n", ratio,
                ratio <= 1.3 ? "atingido" : "NÃO atingido");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int status = RunBenchmarks(
        argc, argv, {{"início: anfitrião / programa MDI mínimo, tempo", "BM_Start_Host", "BM_Start_MinimalMdi", 1.3}});
    if (status == 0) PrintCounts();
    std::fflush(stdout);
    return status;
}
