#pragma once

#include <string>
#include <vector>

// What one benchmark program promises: the benchmark `name` (its function's
// name) takes at most `limit` times the time of `baseline`, or, without a
// baseline, at most `limit` seconds per iteration.
struct BenchTarget {
    std::string what;  // shown in the summary
    std::string name;
    std::string baseline;
    double limit;
};

// Runs the benchmarks the command line selects (Google Benchmark's flags),
// prints the usual table, then each target with the figure measured and
// whether it was met. Call it from main after creating the QApplication.
// Returns 0 when the run completed, whether or not the targets were met.
int RunBenchmarks(int argc, char** argv, const std::vector<BenchTarget>& targets);

// The cleanups in the database of a report benchmark: RCL_BENCH_ROWS, from 1
// to 100,000,000 (default 1,000,000; CI runs a few thousand so that the
// programs keep working). Stops the program, naming the value, otherwise.
int BenchRows();
