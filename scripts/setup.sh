#!/usr/bin/env bash
# Installs what the build, the tests and the main job need from Debian 12
# packages. Quiet and quick when everything is already there.
#   --list   prints the packages, one a line, and installs nothing
set -euo pipefail
packages=(
  build-essential cmake g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev libqt6opengl6-dev
  googletest libgtest-dev libbenchmark-dev qt6-tools-dev libsqlite3-dev
  fonts-dejavu-core poppler-utils binutils sqlite3 clang libclang-rt-14-dev
  dpkg-dev libqt6svg6 qt6-translations-l10n fonts-liberation2
  libqt6sql6-psql libpq-dev postgresql lintian
  libcups2-dev cups-daemon
  libxlsxwriter-dev python3-openpyxl libcairo2-dev
  valgrind
  at-spi2-core python3-pyatspi xvfb
)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
