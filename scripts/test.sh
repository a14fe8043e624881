#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds Dravel with its tests
# and runs them all (CMake preset linux).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# --sanitize=address,undefined or --sanitize=thread: the same suite in a
# sanitizer build of its own (scripts/test-sanitize.sh).
case "${1:-}" in
  --sanitize=*) exec "$root/scripts/test-sanitize.sh" "${1#--sanitize=}" ;;
esac
"$root/scripts/build.sh"
# Every source git knows is formatted with the project's .clang-format.
git -C "$root" ls-files -z -- '*.cpp' '*.h' | (cd "$root" && xargs -0 clang-format --dry-run -Werror)
cd "$root"
ctest --preset linux -j"$(nproc)"
# A few seconds of each fuzz target (clang build of the settings logic).
"$root/scripts/fuzz.sh"
