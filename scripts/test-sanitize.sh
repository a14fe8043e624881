#!/usr/bin/env bash
# Builds Dravel with sanitizers into a build directory of their own and runs
# every test under them; any report fails the test that caused it.
#   ./scripts/test-sanitize.sh [address,undefined|thread]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-address,undefined}"
case "$kind" in
  address,undefined | thread) ;;
  *) echo "usage: $0 [address,undefined|thread]" >&2; exit 2 ;;
esac
build="${DRAVEL_BUILD_DIR:-$root/build-${kind/,/-}}"
supp="$root/scripts/sanitize"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDRAVEL_SANITIZE="$kind" -DDRAVEL_BUILD_TESTS=ON -DDRAVEL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
# ThreadSanitizer cannot map its shadow memory under the kernel's full
# address-space randomisation; the tests run without it.
run=()
if [ "$kind" = thread ] && command -v setarch >/dev/null; then run=(setarch "$(uname -m)" -R); fi
"${run[@]}" ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
