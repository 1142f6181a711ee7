#!/usr/bin/env bash
# Instructions (valgrind's callgrind, which the machine's load does not sway)
# of one warm opening of the screen three ways, of one key until painted
# in the screen and in a plain masked QLineEdit, and of the month's rows read
# by the report component and by SQLite's C library (on a connection opened
# as the host's is) into the same ReportData and into std::string structs
# (bench_report's database, made first if missing), with their ratios: what backs
# the figures of BENCHMARKS.md on a shared machine. Each measured step is a
# function of its own in bench/ (kept out of line); a run gives its inclusive
# instructions and its number of calls, and the difference between a short
# and a longer run leaves out the first, cold call. Needs the benchmarks built
# (scripts/bench.sh) and valgrind; takes about five minutes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${BUILD_DIR:-$root/build}/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

# run PROGRAM FILTER SECONDS FUNCTION: "<instructions> <calls>" of FUNCTION.
run() {
  local out="$work/callgrind.out"
  valgrind --tool=callgrind --callgrind-out-file="$out" "$bin/$1" --benchmark_filter="$2" \
    --benchmark_min_time="$3" >/dev/null 2>&1
  python3 - "$out" "$4" <<'PY'
import re, sys
lines = open(sys.argv[1], errors="replace").read().split("\n")
named = re.compile(r"(^|::)" + re.escape(sys.argv[2]) + r"\(")
ids = {m.group(1) for m in (re.match(r"c?fn=\((\d+)\) (.*)", l) for l in lines) if m and named.search(m.group(2))}
calls = cost = 0
for i, line in enumerate(lines):
    m = re.match(r"cfn=\((\d+)\)", line)
    if m and m.group(1) in ids and lines[i + 1].startswith("calls="):
        calls += int(lines[i + 1].split()[0][6:])
        cost += int(lines[i + 2].split()[1])
print(cost, calls)
PY
}

# warm PROGRAM FILTER FUNCTION [SECONDS]: instructions of one warm call (the
# longer run lasting SECONDS, default 1, of the benchmark's clock).
warm() {
  read -r cost1 calls1 < <(run "$1" "$2" 0.01 "$3")
  read -r cost2 calls2 < <(run "$1" "$2" "${4:-1.0}" "$3")
  ((calls2 > calls1)) || { echo "$1 $2: no warm call of $3 was counted (did it run?)" >&2; exit 1; }
  echo $(((cost2 - cost1) / (calls2 - calls1)))
}

ratio() { python3 -c "print(f'{$1 / $2:.2f}x')"; }

framework=$(warm bench_open_screen OpenScreen_Framework OpenFramework)
loader=$(warm bench_open_screen OpenScreen_QUiLoader OpenWithLoader)
uic=$(warm bench_open_screen OpenScreen_Uic OpenWithUic)
echo "abrir a tela: framework $framework, QUiLoader $loader, uic $uic instruções"
echo "  framework / QUiLoader $(ratio "$framework" "$loader") (alvo: até 1.00x)"
echo "  framework / uic       $(ratio "$framework" "$uic") (alvo: até 1.30x)"
screen=$(warm bench_typing BM_TypeDigit_Screen KeyUntilPainted)
plain=$(warm bench_typing BM_TypeDigit_PlainLineEdit KeyUntilPainted)
echo "tecla até pintar (dígito e Backspace): tela $screen, QLineEdit $plain instruções"
echo "  tela / QLineEdit      $(ratio "$screen" "$plain") (alvo: até 1.50x)"
component=$(warm bench_report 'RowsReadyReportQuery/mes' RunReportQuery 5.0)
c=$(warm bench_report 'RowsReadySqliteC/mes' RunWithSqliteIntoReportData 5.0)
strings=$(warm bench_report 'RowsReadySqliteCStrings/mes' RunWithSqlite 5.0)
echo "linhas prontas, um mês: componente $component, C $c, C std::string $strings instruções"
echo "  componente / C             $(ratio "$component" "$c") (alvo: até 1.20x)"
echo "  componente / C std::string $(ratio "$component" "$strings") (alvo: até 1.20x)"
