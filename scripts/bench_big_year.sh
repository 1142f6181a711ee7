#!/usr/bin/env bash
# A year's detailed report, unattended into a PDF, on a database of ROWS
# cleanups (default 10,000,000 over 2024-2025, so a year holds about half)
# and, beside it, on one of 1,000,000: wall clock and peak resident memory of
# the host for each, and their ratios. The databases are made here from the
# report scripts (about 2 minutes and 1.7 GB for ten million rows) and kept in
# WORK (default build/big-year) for the next run. Not part of CI.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${BUILD_DIR:-$root/build}/bin"
work="${WORK:-$root/build/big-year}"
rows="${ROWS:-10000000}"
mkdir -p "$work"
export QT_QPA_PLATFORM=offscreen

# database ROWS: the path of a sample database of ROWS cleanups, made once.
database() {
  local db="$work/limpeza-$1.db"
  if [[ ! -f $db ]]; then
    sqlite3 "$db.part" < "$root/reports/database/sqlite/schema.sql"
    { echo ".parameter set :SAMPLE_ROWS $1"; cat "$root/reports/database/sqlite/sample.sql"; } \
      | sqlite3 "$db.part"
    mv "$db.part" "$db"
  fi
  echo "$db"
}

# measure ROWS: "<seconds> <peak KiB> <rows printed>" of the year into a PDF.
measure() {
  local db out="$work/out-$1"
  db="$(database "$1")"
  rm -rf "$out" && mkdir -p "$out"
  printf 'open\ntype depDtIni 01/01/2025\ntype depDtFim 31/12/2025\nclick sbtPrint\n' > "$work/year.script"
  python3 - "$work/time" "$bin/rclhost" --db "$db" --script "$work/year.script" \
    --out "$out" > "$work/events" 2> "$work/host.log" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[2:], check=True)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
open(sys.argv[1], "w").write(f"{time.monotonic() - start:.1f} {peak}")
PY
  local printed
  printed="$(grep -o '"rows":[0-9]*' "$work/events" | cut -d: -f2)"
  [[ -n $printed ]] || { echo "no report written for $1 rows" >&2; exit 1; }
  echo "$(cat "$work/time") $printed"
}

read -r small_s small_kb small_rows <<< "$(measure 1000000)"
read -r big_s big_kb big_rows <<< "$(measure "$rows")"
printf '%-22s %12s %10s %12s\n' database rows seconds "peak MiB"
printf '%-22s %12s %10s %12s\n' "1,000,000 cleanups" "$small_rows" "$small_s" "$((small_kb / 1024))"
printf '%-22s %12s %10s %12s\n' "$(python3 -c "print(f'{$rows:,}')") cleanups" "$big_rows" "$big_s" "$((big_kb / 1024))"
python3 -c "print(f'ratio: time {$big_s / $small_s:.2f}x, memory {$big_kb / $small_kb:.2f}x, rows {$big_rows / $small_rows:.2f}x')"
