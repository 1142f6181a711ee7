#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <unistd.h>

#include <cstdio>
#include <map>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform says this of every window of fixed size; it tells
// nothing about the benchmarks and would break up their table.
void DropOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
    previousHandler(type, context, message);
}

double SecondsPer(benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond: return 1e-9;
        case benchmark::kMicrosecond: return 1e-6;
        case benchmark::kMillisecond: return 1e-3;
        case benchmark::kSecond: return 1;
    }
    return 1;
}

// The console table as usual, plus the time per iteration of each benchmark
// by its function's name: the median when repetitions were asked for.
class TargetReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a saved run reads clean.
    TargetReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            const std::string& name = run.run_name.function_name;
            if (median || !medians_.count(name)) seconds_[name] = run.GetAdjustedRealTime() * SecondsPer(run.time_unit);
            if (median) medians_[name] = true;
        }
    }

    // Seconds per iteration, or a negative number when it did not run.
    double Seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? -1 : found->second;
    }

private:
    std::map<std::string, double> seconds_;
    std::map<std::string, bool> medians_;
};

// The text padded to `width` characters (UTF-8: continuation bytes take no room).
std::string Padded(const std::string& text, size_t width) {
    size_t shown = 0;
    for (const char c : text) shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return text + std::string(shown < width ? width - shown : 0, ' ');
}

void PrintTarget(const BenchTarget& target, const TargetReporter& reporter) {
    const std::string what = Padded(target.what, 56);
    const double measured = reporter.Seconds(target.name);
    const double baseline = target.baseline.empty() ? 1 : reporter.Seconds(target.baseline);
    if (measured < 0 || baseline <= 0) {
        std::printf("  %s não medido\n", what.c_str());
        return;
    }
    const double figure = measured / baseline;
    const char* verdict = figure <= target.limit ? "atingido" : "NÃO atingido";
    if (target.baseline.empty())
        std::printf("  %s %9.3f ms  (alvo: até %.3f ms)  %s\n", what.c_str(), figure * 1e3, target.limit * 1e3,
                    verdict);
    else
        std::printf("  %s %9.2fx     (alvo: até %.2fx)  %s\n", what.c_str(), figure, target.limit, verdict);
}

}  // namespace

int RunBenchmarks(int argc, char** argv, const std::vector<BenchTarget>& targets) {
    previousHandler = qInstallMessageHandler(DropOffscreenNoise);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TargetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nAlvos\n");
    for (const BenchTarget& target : targets) PrintTarget(target, reporter);
    std::fflush(stdout);
    return 0;
}

int BenchRows() {
    static const int rows = [] {
        const QByteArray text = qgetenv("RCL_BENCH_ROWS");
        if (text.isEmpty()) return 1'000'000;
        bool number = false;
        const int value = text.toInt(&number);
        if (!number || value < 1 || value > 100'000'000)
            qFatal("RCL_BENCH_ROWS must be a count of rows from 1 to 100000000: '%s'", text.constData());
        return value;
    }();
    return rows;
}
