#!/usr/bin/env bash
# Builds Dravel with sanitizers into a build directory of their own and runs
# every test under them; any report fails the test that caused it.
#   ./scripts/test-sanitize.sh [address,undefined|thread]
# The CMake presets asan-ubsan (build-address-undefined/) and tsan
# (build-thread/) hold the options and the sanitizers' settings.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-address,undefined}" in
  address,undefined) preset=asan-ubsan ;;
  thread) preset=tsan ;;
  *) echo "usage: $0 [address,undefined|thread]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
# ThreadSanitizer cannot map its shadow memory under the kernel's full
# address-space randomisation; the tests run without it.
run=()
if [ "$preset" = tsan ] && command -v setarch >/dev/null; then run=(setarch "$(uname -m)" -R); fi
"${run[@]}" ctest --preset "$preset" -j"$(nproc)"
