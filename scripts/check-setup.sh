#!/usr/bin/env bash
# Checks that scripts/setup.sh gives a fresh machine everything this build
# used: each CMake package configuration file the configure step loaded (the
# *_DIR entries of the build's CMakeCache.txt) and each shared library that
# the built programs and modules load (ldd) must come from a Debian package
# that setup installs, listed or pulled in by the dependencies of a listed
# one, or from the base system (priority required or important). Names each
# package that setup lacks and fails; quiet when all is well.
#
#   scripts/check-setup.sh [--without PACKAGE]... [BUILD_DIR]
#
# BUILD_DIR is a configured and built tree (default build). --without drops a
# package from setup's list, to see what the check says of a setup that
# lacks it (--without libqt6opengl6-dev names that package).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
without=()
while [ $# -gt 0 ] && [ "$1" = "--without" ]; do
  without+=("$2")
  shift 2
done
build="$(cd "${1:-$root/build}" && pwd)"
cache="$build/CMakeCache.txt"
if [ ! -f "$cache" ]; then
  echo "check-setup: $cache não existe (configure e compile antes)" >&2
  exit 1
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The packages setup installs, then everything they depend on (not what they
# only recommend: setup installs without recommendations), then the base.
bash "$root/scripts/setup.sh" --list | grep -vxF -f <(printf '%s\n' "${without[@]}" "") >"$work/listed"
apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
  --no-breaks --no-replaces --no-enhances $(cat "$work/listed") |
  sed -n 's/^<\{0,1\}\([^ <>]*\)>\{0,1\}$/\1/p' >"$work/allowed"
dpkg-query -W -f='${Package} ${Priority}\n' | awk '$2 == "required" || $2 == "important" { print $1 }' >>"$work/allowed"
sort -u -o "$work/allowed" "$work/allowed"

# The configuration file of each package that find_package found.
sed -n 's/^\([A-Za-z0-9_]*\)_DIR:PATH=\(.*\)$/\1 \2/p' "$cache" | while read -r name dir; do
  lower="$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')"
  for config in "$dir/${name}Config.cmake" "$dir/${lower}-config.cmake"; do
    if [ -f "$config" ]; then echo "$config"; fi
  done
done >"$work/files"

# Each shared library the built programs and modules load, from outside the
# build tree. A library that cannot be found at all is a failure of its own.
find "$build/bin" -maxdepth 1 -type f \( -perm -u+x -o -name '*.so*' \) | sort | while read -r program; do
  ldd "$program" 2>/dev/null | awk -v program="$program" '
    /=> not found/ { print "NOTFOUND " program ": " $1; next }
    $2 == "=>" && $3 ~ /^\// { print $3; next }
    $1 ~ /^\// { print $1 }'
done | grep -v "^$build/" >>"$work/files" || true
grep '^NOTFOUND ' "$work/files" | sed 's/^NOTFOUND /check-setup: biblioteca não encontrada por /' >"$work/failures" || true
grep -v '^NOTFOUND ' "$work/files" | sort -u >"$work/paths"

# dpkg records a file under the name its package gave it: /lib or /usr/lib,
# a link or its target. Try each spelling; one package per file is enough.
spellings() {
  local path="$1" real
  real="$(readlink -f "$path")"
  for p in "$path" "$real"; do
    echo "$path	$p"
    case "$p" in
      /usr/lib/*) echo "$path	${p#/usr}" ;;
      /lib/* | /lib64/*) echo "$path	/usr$p" ;;
    esac
  done
}
while read -r path; do spellings "$path"; done <"$work/paths" | sort -u >"$work/spellings"
cut -f2 "$work/spellings" | sort -u | xargs -r dpkg-query -S 2>/dev/null | grep -v '^diversion ' |
  sed -n 's/^\(.*\): \(\/.*\)$/\2	\1/p' | sed 's/:[a-z0-9]*\(,\|$\)/\1/g' >"$work/owned" || true

# Each file's packages (any spelling), then whether setup brings one of them.
awk -F'\t' -v allowed="$work/allowed" -v owned="$work/owned" -v spellings="$work/spellings" '
  BEGIN {
    while ((getline name < allowed) > 0) ok[name] = 1
    while ((getline line < owned) > 0) { split(line, f, "\t"); owners[f[1]] = f[2] }
    while ((getline line < spellings) > 0) {
      split(line, f, "\t")
      if (!(f[1] in of) && (f[2] in owners)) of[f[1]] = owners[f[2]]
    }
  }
  !($0 in of) { print "check-setup: " $0 " não vem de nenhum pacote Debian"; next }
  {
    n = split(of[$0], names, ", ")
    for (i = 1; i <= n; i++) if (names[i] in ok) next
    print "check-setup: scripts/setup.sh não instala " of[$0] " (de onde vem " $0 ")"
  }' "$work/paths" >>"$work/failures"

if [ -s "$work/failures" ]; then
  sort -u "$work/failures" >&2
  exit 1
fi
