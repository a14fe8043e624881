#!/usr/bin/env bash
# Starts the real program on a virtual X display and waits for its main
# window; the program must write nothing into its directory.
set -euo pipefail
exe="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/Dravel"
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1/Dravel" & pid=$!
  for _ in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q "\"Einstellungen für \"Kalvor.EXE\"\""; then
      echo "main window shown"
      kill "$pid"; wait "$pid" 2>/dev/null || true
      exit 0
    fi
    sleep 0.1
  done
  echo "main window did not appear"; kill "$pid" 2>/dev/null || true; exit 1
' _ "$dir"
if [ -n "$(ls -A "$dir" | grep -v '^Dravel$' || true)" ]; then
  echo "the program wrote into its directory:"; ls -A "$dir"; exit 1
fi
