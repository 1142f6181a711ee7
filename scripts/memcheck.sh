#!/usr/bin/env bash
# Runs the host's scripted sessions (scripts/sample.script and
# scripts/memcheck.script) under valgrind's memcheck, headless. Fails when a
# definite leak has the project's code (the libraries, app/, modules/)
# in its allocation stack, when memcheck reports a memory error (invalid
# read or write, use of uninitialised memory), or when a session fails.
# Findings inside Qt and the libraries below it are suppressed, each with its
# reason, in tests/valgrind.supp.
#
#   scripts/memcheck.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
host="$build/bin/rclhost"
if ! command -v valgrind >/dev/null; then
  echo "memcheck: o valgrind não está instalado (apt-get install valgrind)." >&2
  exit 1
fi
if [ ! -x "$host" ]; then
  echo "memcheck: $host não existe; compile antes (make build)." >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# "Save as" writes into the reports folder: the sessions get a copy of the
# build's, where every module's reports are merged.
cp -r "$build/bin/reports" "$work/reports"

# A frame of the project's own code: one of its source files (valgrind
# prints full paths with --fullpath-after=) or one of its binaries.
sources="$(printf '%s' "$root" | sed 's/[.*+?(){}|$]/[&]/g')"
project="$sources/(framework/|files/|runtime/|databases/|engine/|components/|app/|modules/)|/lib(framework|files|runtime|databases|engine|components)[.]so|/modules/[^/]+[.]so|/rclhost[)]"

# Prints the definite-leak records of a memcheck log whose stack has a frame
# of the project's code; succeeds only when there is none.
project_leaks() {
  awk -v project="$project" '
    /definitely lost in loss record/ { record = $0; inside = 1; next }
    inside && /^==[0-9]+== *$/ {
      if (record ~ project) { print record "\n"; found++ }
      inside = 0; next
    }
    inside { record = record "\n" $0 }
    END { exit found > 0 }' "$1"
}

session() {
  local name="$1" script="$2" log="$work/$1.log" status=0
  echo "memcheck: $name ($script)"
  QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite --errors-for-leak-kinds=none --error-exitcode=99 \
    --num-callers=50 --fullpath-after= --suppressions="$root/tests/valgrind.supp" \
    --log-file="$log" \
    "$host" --reports "$work/reports" --out "$work/out" \
    --script "$script" >"$work/$name.jsonl" 2>"$work/$name.err" || status=$?
  grep -E 'definitely lost:|ERROR SUMMARY' "$log" | sed 's/^==[0-9]*==/  /'
  local failed=0
  if [ "$status" = 99 ]; then
    echo "memcheck: $name: erros de memória:" >&2
    awk '/^==[0-9]+== (Invalid|Conditional|Use of uninitialised|Mismatched|Syscall param|Source and destination)/,/^==[0-9]+== *$/' "$log" >&2
    failed=1
  elif [ "$status" != 0 ]; then
    echo "memcheck: $name: a sessão terminou com o código $status:" >&2
    cat "$work/$name.err" "$work/$name.jsonl" >&2
    failed=1
  fi
  if ! project_leaks "$log" >"$work/$name.leaks"; then
    echo "memcheck: $name: vazamentos definitivos no código do projeto:" >&2
    cat "$work/$name.leaks" >&2
    failed=1
  fi
  return "$failed"
}

result=0
session sample "$root/scripts/sample.script" || result=1
session tour "$root/scripts/memcheck.script" || result=1
if [ "$result" = 0 ]; then echo "memcheck: nenhum vazamento definitivo nem erro de memória."; fi
exit "$result"
