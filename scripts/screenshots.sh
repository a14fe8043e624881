#!/usr/bin/env bash
# Builds Dravel and photographs its ten windows into docs/ (the README shows
# them), in the program's own font, without a display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build" # the preset linux's
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset linux >/dev/null
cmake --build --preset linux --target dravel_screenshots Dravel
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$build/docs/screenshots/dravel_screenshots" \
  "$root/docs" "$build/src/app/Dravel"
echo "Screenshots written to $root/docs"
