#!/usr/bin/env bash
# Builds Dravel and starts it. Without a display it starts the program on a
# virtual display, saves a screenshot of the main window and says where.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build" # the preset linux's
"$root/scripts/build.sh"
exe="$build/src/app/Dravel"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe"
fi

echo "No display found: starting Dravel on a virtual X display (Xvfb)."
shot="$build/dravel-main-window.png"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"  # no sound card needed for a look
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  . "$3"
  "$1" & pid=$!
  wait_for_window "$DRAVEL_MAIN_WINDOW" 10 >/dev/null || true
  sleep 1
  import -window root "$2"
  echo "Dravel is running (pid $pid); its window:"
  xwininfo -root -tree | grep -F "$DRAVEL_MAIN_WINDOW" || true
  kill "$pid"; wait "$pid" 2>/dev/null || true
' _ "$exe" "$shot" "$root/scripts/lib/wait-for-window.sh"
echo "Screenshot of the main window: $shot"
