#!/usr/bin/env bash
# The main job: the host with the data cleanup report screen on its sample
# database (no database named: the host makes its labelled sample in the
# user's data folder on first use). Without a display it runs the sample script headless and
# says where the report and the screenshot are.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
out="$root/out"
mkdir -p "$out"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/rclhost"
fi
echo "Sem tela: rodando o script de exemplo (scripts/sample.script) sem janela."
QT_QPA_PLATFORM=offscreen "$bin/rclhost" --out "$out" \
  --script "$root/scripts/sample.script" | tee "$out/sample.jsonl"
echo
echo "Eventos:      $out/sample.jsonl"
echo "Relatório:    $(ls -t "$out"/RCL047-preview-*.pdf | head -1)"
echo "Tela:         $out/rcl04700.png"
