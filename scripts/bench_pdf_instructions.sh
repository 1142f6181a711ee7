#!/usr/bin/env bash
# Instructions a page (valgrind's callgrind, which the machine's load does
# not sway, every thread counted) of the detailed report's PDF three ways,
# side by side on the same rows: the host's writer (PdfPages, cairo), Qt's
# PDF engine as the host wrote it before, and a bare QPdfWriter program
# drawing the same cells (bench_export --pdf-once=WAY). Each way is a whole
# run of the program; a run that makes the rows and the cells and writes no
# PDF (none) is taken from each, and the rest divided by the pages. Also
# each file's size a page. Needs bench_export built and valgrind; ROWS rows
# (default 3000: 61 pages), about a minute a way.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${BUILD_DIR:-$root/build}/bin"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 RCL_EXPORT_ROWS="${ROWS:-3000}"

# count WAY: "<instructions> <pages>" of one run.
count() {
  local log
  log="$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bin/bench_export" --pdf-once="$1" 2>&1)"
  local total pages
  total="$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' <<<"$log")"
  pages="$(sed -n 's/^paginas \([0-9]*\)$/\1/p' <<<"$log")"
  [ -n "$total" ] && [ -n "$pages" ] || { echo "bench_export --pdf-once=$1 não rodou:" >&2; echo "$log" >&2; exit 1; }
  echo "$total $pages"
}

read -r base pages < <(count none)
declare -A per
for way in pdfpages qt floor; do
  read -r total _ < <(count "$way")
  per[$way]=$(((total - base) / pages))
  echo "$way: $((per[$way] / 1000)) mil instruções por página ($pages páginas, $RCL_EXPORT_ROWS linhas)"
done
ratio() { python3 -c "print(f'{$1 / $2:.2f}x')"; }
echo "  PdfPages / QPdfWriter puro (o piso) $(ratio "${per[pdfpages]}" "${per[floor]}") (alvo: até 0.60x)"
echo "  PdfPages / Qt como antes            $(ratio "${per[pdfpages]}" "${per[qt]}")"
