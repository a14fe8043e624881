#!/usr/bin/env bash
# Builds Dravel and starts it. Without a display it starts the program on a
# virtual display, saves a screenshot of the main window and says where.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${DRAVEL_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
exe="$build/src/app/Dravel"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

echo "No display found: starting Dravel on a virtual X display (Xvfb)."
shot="$build/dravel-main-window.png"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"  # no sound card needed for a look
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" & pid=$!
  for _ in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q "Einstellungen für"; then break; fi
    sleep 0.1
  done
  sleep 1
  import -window root "$2"
  echo "Dravel is running (pid $pid); its window:"
  xwininfo -root -tree | grep "Einstellungen für" || true
  kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$exe" "$shot"
echo "Screenshot of the main window: $shot"
