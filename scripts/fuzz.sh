#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (coverage, address and
# undefined-behaviour sanitizers) and runs each one for a bounded time on a
# copy of its seed corpus, so nothing new is written into fuzz/corpus. Exits
# non-zero when a target crashes, hangs or fails a check; the input that did
# it is kept under the build folder's artifacts/.
#
#   FUZZ_SECONDS    seconds per target (default 30)
#   FUZZ_BUILD_DIR  build folder (default build-fuzz)
#   FUZZ_TARGETS    targets to run, separated by spaces (default: all)
#   FUZZ_CXX        the clang++ to build with (default clang++, else clang++-14)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-30}"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
cxx="${FUZZ_CXX:-$(command -v clang++ || command -v clang++-14 || true)}"
if [ -z "$cxx" ]; then
  echo "fuzz: clang++ não encontrado (rode scripts/setup.sh)" >&2
  exit 1
fi

# Each target and the seed corpus it starts from.
declare -A corpus=(
  [definition_reader]=definition
  [date_text]=date_text
  [date_edit]=date_edit
  [script_reader]=script_reader
  [report_definition]=report_definition
  [config_file]=config_file
  [sql_statements]=sql_statements
)
targets="${FUZZ_TARGETS:-definition_reader date_text date_edit script_reader report_definition config_file sql_statements}"

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
for target in $targets; do
  [ -n "${corpus[$target]:-}" ] || { echo "fuzz: alvo desconhecido: $target" >&2; exit 1; }
  cp -r "$root/fuzz/corpus/${corpus[$target]}" "$work/$target"
  log="$work/$target.log"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -artifact_prefix="$build/artifacts/$target-" "$work/$target" >"$log" 2>&1; then
    runs="$(grep -o 'Done [0-9]* runs' "$log" | tail -1 | tr -dc 0-9)"
    echo "fuzz: $target: ${runs:-?} execuções em ${seconds}s, sem falhas"
  else
    echo "fuzz: $target FALHOU (entrada guardada em $build/artifacts/):" >&2
    tail -60 "$log" >&2
    status=1
  fi
done
exit $status
