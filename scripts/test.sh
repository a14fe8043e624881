#!/usr/bin/env bash
# Installs what is missing, builds Dravel with its tests and runs them all.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${DRAVEL_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" -DDRAVEL_BUILD_TESTS=ON
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
