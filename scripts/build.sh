#!/usr/bin/env bash
# Installs what is missing and builds Dravel with its tests into ./build (CMake preset linux;
# by hand: cmake --preset linux && cmake --build --preset linux).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset linux "$@" >/dev/null
cmake --build --preset linux -j"$(nproc)"
