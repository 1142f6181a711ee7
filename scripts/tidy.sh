#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the project's own
# sources: the libraries, app/ and the module's units; tests, benchmarks
# and generated code are left out. Fails on any finding.
#
#   scripts/tidy.sh [BUILD_DIR]     (default: build; it needs the
#                                    compile_commands.json the build writes)
# TIDY_JOBS sets how many files are checked at once (default: 2).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
tidy="$(command -v clang-tidy-14 || command -v clang-tidy || true)"
if [ -z "$tidy" ]; then
  echo "tidy: o clang-tidy não está instalado (apt-get install clang-tidy-14)." >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: $build/compile_commands.json não existe; configure antes (make build)." >&2
  exit 1
fi

cd "$root"
files=(framework/*.cpp framework/*/*.cpp files/*.cpp runtime/*.cpp databases/*.cpp databases/*/*.cpp engine/*.cpp engine/*/*.cpp components/*.cpp app/*.cpp app/*/*.cpp modules/*/*.cpp)
# Headers count when they are the project's own, never Qt's or generated ones.
headers="^$(printf '%s' "$root" | sed 's/[.*+?(){}|$]/[&]/g')/((framework|files|runtime|databases|engine|components|app)/([^/]+/)?[^/]+|modules/[^/]+/[^/]+)[.]h\$"
log="$(mktemp)"
errors="$(mktemp)"
trap 'rm -f "$log" "$errors"' EXIT
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "${TIDY_JOBS:-2}" -n 1 "$tidy" -p "$build" --quiet --header-filter="$headers" \
    --warnings-as-errors='*' >"$log" 2>"$errors" || status=$?
# A header's finding comes once per file that includes it: show it once.
grep -E '^[^ ].*: (warning|error): ' "$log" | sort -u || true
# What clang-tidy itself says besides its counts (a file it cannot compile).
grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated[.]$|^Suppressed [0-9]+ warnings|^Use -header-filter|^[0-9]+ warnings? treated as errors?$' "$errors" >&2 || true
if [ "$status" != 0 ]; then
  echo "tidy: há achados do clang-tidy (veja acima; $(printf '%s\n' "${files[@]}" | wc -l) arquivos)." >&2
  exit 1
fi
echo "tidy: ${#files[@]} arquivos sem achados."
