#!/usr/bin/env bash
# Builds the settings logic's fuzz targets with clang (preset fuzz) and runs them.
#   scripts/fuzz.sh                  a short run of each (ctest), as scripts/test.sh does
#   scripts/fuzz.sh TARGET [RUNS]    a campaign of one target (settings_file, condition_list or
#                                    csv_import) of RUNS inputs (default 1000000); its corpus
#                                    grows in build-fuzz/campaign-TARGET from one to the next
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
if [ $# -eq 0 ]; then
  exec ctest --preset fuzz
fi
target="$1"
runs="${2:-1000000}"
corpus="$root/build-fuzz/campaign-$target"
mkdir -p "$corpus"
exec "$root/build-fuzz/fuzz/fuzz_$target" -runs="$runs" -print_final_stats=1 \
  -artifact_prefix="$root/build-fuzz/crash-$target-" "$corpus" "$root/fuzz/corpus/$target"
