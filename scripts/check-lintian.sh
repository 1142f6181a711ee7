#!/usr/bin/env bash
# Debian's package checker on the built package: fails on any error (E:),
# lists the warnings and goes on. Run after the package is built
# (scripts/check-installed.sh builds it).
#
#   scripts/check-lintian.sh [BUILD_DIR|PACKAGE.deb]   (default build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-$root/build}"
fail() {
  echo "check-lintian: $*" >&2
  exit 1
}
command -v lintian >/dev/null || fail "o lintian não está instalado (scripts/setup.sh)"
if [ -d "$target" ]; then
  # The newest package of the build folder: the one just built.
  deb="$(ls -t "$target"/rclhost_*.deb 2>/dev/null | head -1 || true)"
else
  deb="$target"
fi
[ -n "$deb" ] && [ -f "$deb" ] || fail "nenhum pacote rclhost_*.deb em $target (make package)"

# lintian's own status also counts warnings it is told to fail on; the tags
# are what is judged here, so the run's status is kept only to tell a
# lintian that could not run.
report="$(mktemp)"
trap 'rm -f "$report"' EXIT
status=0
lintian --no-tag-display-limit --fail-on none "$deb" >"$report" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "o lintian não rodou ($status): $(cat "$report")"
warnings="$(grep '^W: ' "$report" || true)"
errors="$(grep '^E: ' "$report" || true)"
[ -z "$warnings" ] || printf 'check-lintian: avisos:\n%s\n' "$warnings"
[ -z "$errors" ] || fail "$(printf 'erros em %s:\n%s' "$(basename "$deb")" "$errors")"
echo "check-lintian: $(basename "$deb") sem erros do lintian"
