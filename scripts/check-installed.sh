#!/usr/bin/env bash
# The installed program as a user gets it: builds the Debian package, unpacks
# it into a temporary root and runs the sample script with the unpacked host,
# from another folder, with a home of its own and an environment that names
# neither the build nor the source tree. Fails when a path of either tree is
# in the installed files or among the files the host loaded, when the host
# or a library or module it installs links Qt's test library, when a package
# the .deb depends on is not installed here (dpkg would install it), when a
# module of modules/ is not loaded from the installed modules folder or a file
# of its reports or help is not installed, when the report PDF is not written
# or the sample database is not in the user's data folder, when a report
# saved with "Salvar como" is not in the user's reports folder, and when the
# run wrote anything under the install root.
#
#   scripts/check-installed.sh [BUILD_DIR]     (default build, built)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
fail() {
  echo "check-installed: $*" >&2
  exit 1
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# cpack itself brings the build up to date first.
(cd "$build" && cpack -G DEB) >"$tmp/cpack.log" 2>&1 || fail "o pacote não foi gerado: $(cat "$tmp/cpack.log")"
deb="$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$tmp/cpack.log")"
[ -f "$deb" ] || fail "o cpack não disse onde ficou o pacote: $(cat "$tmp/cpack.log")"
mkdir -p "$tmp/root" "$tmp/home/dados" "$tmp/run" "$tmp/cwd"
chmod 700 "$tmp/run"
dpkg-deb -x "$deb" "$tmp/root"
touch "$tmp/unpacked"

# What dpkg would install with the package must be here to run it like this.
dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/ //g' | while read -r package; do
  [ -z "$package" ] || dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    fail "o pacote depende de $package, que não está instalado aqui (scripts/setup.sh)"
done

# Test code stays out of the product: no installed program, library or
# module links Qt's test library, nor does the run load it (below).
for file in "$tmp/root/usr/bin/rclhost" $(find "$tmp/root/usr/lib" -type f -name '*.so*'); do
  case "$(ldd "$file")" in
    *libQt6Test*) fail "${file#"$tmp/root"} liga a biblioteca de testes do Qt (libQt6Test)" ;;
  esac
done

leaks="$(grep -rlF -e "$root" -e "$build" "$tmp/root" || true)"
[ -z "$leaks" ] || fail "caminhos da árvore de fontes ou de build em ${leaks//$tmp\/root/}"
desktop="$tmp/root/usr/share/applications/rclhost.desktop"
grep -qx 'Name=Gestão Empresarial' "$desktop" && grep -qx 'Icon=rclhost' "$desktop" &&
  [ -f "$tmp/root/usr/share/icons/hicolor/scalable/apps/rclhost.svg" ] ||
  fail "falta a entrada de menu \"Gestão Empresarial\" com o ícone rclhost"

cp "$root/scripts/sample.script" "$tmp/sample.script"
printf 'click sbtSalvarComo\nanswer "Meu relatório"\n' >>"$tmp/sample.script"
status=0
(cd "$tmp/cwd" && env -i HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/dados" XDG_RUNTIME_DIR="$tmp/run" \
  PATH=/usr/bin:/bin LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen LD_DEBUG=libs,files LD_DEBUG_OUTPUT="$tmp/loaded" \
  "$tmp/root/usr/bin/rclhost" --script "$tmp/sample.script" >"$tmp/events.jsonl" 2>"$tmp/errors") || status=$?
[ "$status" -eq 0 ] || fail "o host instalado terminou com $status: $(cat "$tmp/errors")"

# The dynamic loader's log: every library tried and every one loaded.
loaded="$(grep -h -e 'file=' -e 'init: ' "$tmp"/loaded.* | grep -F -e "$root" -e "$build" || true)"
[ -z "$loaded" ] || fail "o host instalado buscou arquivos nas árvores de fontes ou de build: $loaded"
! grep -q 'calling init: .*libQt6Test' "$tmp"/loaded.* || fail "o host instalado carregou a biblioteca de testes do Qt"
# Every module of modules/, loaded from the modules folder, with its reports
# and help merged into the host's folders.
for module in "$root"/modules/*/; do
  name="$(basename "$module")"
  grep -q "calling init: $tmp/root/usr/lib/rclhost/modules/$name.so\$" "$tmp"/loaded.* ||
    fail "o host instalado não carregou o módulo $name da sua pasta de módulos"
  for folder in reports help; do
    [ -d "$module$folder" ] || continue
    # As add_report_module installs them: hidden files and backups left out.
    (cd "$module$folder" && find . -mindepth 1 -name '.*' -prune -o -type f ! -name '*~' -print) | while read -r file; do
      [ -f "$tmp/root/usr/share/rclhost/$folder/$file" ] || fail "falta $folder/${file#./} do módulo $name no pacote"
    done
  done
done
pdf="$(sed -n 's/.*"event":"report".*"file":"\([^"]*\)".*/\1/p' "$tmp/events.jsonl" | head -1)"
[ -n "$pdf" ] && [ "$(head -c 4 "$pdf" 2>/dev/null)" = "%PDF" ] || fail "o relatório em PDF não foi escrito"
case "$pdf" in "$tmp/cwd/out/"*) ;; *) fail "o relatório foi para $pdf, não para out/ da pasta atual" ;; esac
[ -s "$tmp/home/dados/rclhost/sample.db" ] || fail "o banco de exemplo não está em \$XDG_DATA_HOME/rclhost"
[ -s "$tmp/home/dados/rclhost/reports/RCL047_meu_relatorio.rpt" ] ||
  fail "o relatório salvo não está em \$XDG_DATA_HOME/rclhost/reports: $(cat "$tmp/events.jsonl")"
written="$(find "$tmp/root" -newer "$tmp/unpacked" | head -3)"
[ -z "$written" ] || fail "a execução escreveu sob a raiz da instalação: $written"
echo "check-installed: $(basename "$deb") instalado roda o script de exemplo"
