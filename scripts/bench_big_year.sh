#!/usr/bin/env bash
# A year's detailed report, unattended into a PDF, on a database of ROWS
# cleanups (default 10,000,000 over 2024-2025, so a year holds about half)
# and, beside it, on one of SMALL_ROWS (default a tenth of ROWS: 1,000,000):
# wall clock and peak resident memory of the host for each, and their
# ratios. The databases are made by the host itself (rclhost --create-db
# --sample, about 2 minutes and 1.7 GB for ten million rows) and kept in WORK
# (default build/big-year) for the next run. CI runs it with ROWS=20000 so
# that it keeps working; it stops with a message when a database cannot be
# made or a report comes out empty.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${BUILD_DIR:-$root/build}/bin"
work="${WORK:-$root/build/big-year}"
rows="${ROWS:-10000000}"
[[ $rows =~ ^[1-9][0-9]{0,8}$ ]] || { echo "ROWS must be a count of rows from 1 to 999999999: '$rows'" >&2; exit 2; }
small="${SMALL_ROWS:-$((rows / 10 > 0 ? rows / 10 : 1))}"
[[ $small =~ ^[1-9][0-9]{0,8}$ ]] || { echo "SMALL_ROWS must be a count of rows: '$small'" >&2; exit 2; }
mkdir -p "$work"
export QT_QPA_PLATFORM=offscreen

# database ROWS: the path of a sample database of ROWS cleanups, made once
# (under another name, renamed when complete).
database() {
  local db="$work/limpeza-$1.db"
  if [[ ! -f $db ]]; then
    rm -f "$db.part"
    "$bin/rclhost" --db "$db.part" --create-db --sample "$1" >&2 \
      || { echo "could not make the database of $1 rows" >&2; exit 1; }
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
    --out "$out" > "$work/events" 2> "$work/host.log" <<'PY' \
    || { echo "the host failed on $db (see $work/host.log)" >&2; exit 1; }
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[2:], check=True)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
open(sys.argv[1], "w").write(f"{time.monotonic() - start:.1f} {peak}")
PY
  local printed
  printed="$(grep -o '"rows":[0-9]*' "$work/events" | tail -1 | cut -d: -f2)"
  [[ -n $printed ]] || { echo "no report written for $1 rows (see $work/events)" >&2; exit 1; }
  # An empty year means the database holds no cleanups of 2025: a figure
  # from it would measure nothing.
  ((printed > 0)) || { echo "the report of $1 rows came out empty: $db holds no cleanup of 2025" >&2; exit 1; }
  echo "$(cat "$work/time") $printed"
}

result="$(measure "$small")"
read -r small_s small_kb small_rows <<< "$result"
result="$(measure "$rows")"
read -r big_s big_kb big_rows <<< "$result"
count() { python3 -c "print(f'{$1:,}')"; }
printf '%-22s %12s %10s %12s\n' database rows seconds "peak MiB"
printf '%-22s %12s %10s %12s\n' "$(count "$small") cleanups" "$small_rows" "$small_s" "$((small_kb / 1024))"
printf '%-22s %12s %10s %12s\n' "$(count "$rows") cleanups" "$big_rows" "$big_s" "$((big_kb / 1024))"
# The seconds are rounded to a tenth: a tiny run may take "0.0".
python3 -c "print(f'ratio: time {$big_s / max($small_s, 0.1):.2f}x, memory {$big_kb / $small_kb:.2f}x, rows {$big_rows / $small_rows:.2f}x')"
