#!/usr/bin/env bash
# Starts the real program on a virtual X display and waits for its main
# window; the program must write nothing into its directory.
set -euo pipefail
exe="$1"
lib="$(cd "$(dirname "$0")/../../scripts/lib" && pwd)/wait-for-window.sh"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cp "$exe" "$dir/Dravel"
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  . "$2"
  "$1/Dravel" & pid=$!
  if wait_for_window "$DRAVEL_MAIN_WINDOW" 20 >/dev/null; then
    echo "main window shown"
    kill "$pid"; wait "$pid" 2>/dev/null || true
    exit 0
  fi
  echo "main window did not appear"; kill "$pid" 2>/dev/null || true; exit 1
' _ "$dir" "$lib"
if [ -n "$(ls -A "$dir" | grep -v '^Dravel$' || true)" ]; then
  echo "the program wrote into its directory:"; ls -A "$dir"; exit 1
fi
