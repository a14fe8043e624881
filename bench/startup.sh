#!/usr/bin/env bash
# Cold start to the shown main window, against an empty Qt 6 window, on a
# virtual X display. Usage: bench/startup.sh <build dir>
set -euo pipefail
build="${1:-build}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cp "$build/bench/startup_dravel" "$build/bench/startup_empty" "$dir/"
export SDL_AUDIODRIVER=dummy
xvfb-run -a -s "-screen 0 1024x768x24" \
  hyperfine -N --warmup 3 --runs 30 "$dir/startup_empty" "$dir/startup_dravel"
