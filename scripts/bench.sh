#!/usr/bin/env bash
# Builds and runs the benchmarks (bench/) headless and prints their figures:
# each program's table, then its targets and whether they were met.
# BENCHMARKS.md says how they measure. BUILD_DIR picks the build folder
# (default: build, the default preset's). Each benchmark runs five times, in
# random turns with the others of its program so that a change of load on the
# machine hits them alike; the table shows mean, median and spread, and the
# targets use the median. Arguments go to every benchmark program after those
# defaults, e.g. --benchmark_repetitions=9 or --benchmark_filter=RowsReady.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
configure=(-S "$root" -B "$build" -DBUILD_BENCHMARKS=ON)
[ -f "$build/CMakeCache.txt" ] || configure+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake "${configure[@]}" >/dev/null
cmake --build "$build" --target bench_open_screen bench_typing bench_report bench_report_server bench_query_guard bench_cancel bench_export bench_start -j "$(nproc)"

echo "Build: $(grep -m1 '^CMAKE_BUILD_TYPE:' "$build/CMakeCache.txt" | cut -d= -f2), em $build"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
for program in bench_open_screen bench_typing bench_report bench_report_server bench_query_guard bench_cancel bench_export bench_start; do
  echo
  echo "== $program"
  "$build/bin/$program" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true "$@"
done
