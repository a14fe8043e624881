#!/usr/bin/env bash
# Runs the Windows build's tests under Wine in a throw-away Wine prefix.
#
#   scripts/test-windows.sh        every test program, then Dravel.exe from the zip on Xvfb (main
#                                  window screenshot, version check); needs the dependency cache
#                                  that scripts/build-windows.sh builds
#   scripts/test-windows.sh core   only the programs that need neither Qt nor SDL2/libsndfile:
#                                  mingw-w64, Wine and GoogleTest built from source are enough
#
# Wine maps COM1 to the machine's /dev/ttyS0 by itself. Everything here therefore runs in a private
# mount namespace with /dev/null bound over every serial device, and the prefix's own COM links are
# removed: no test can reach a real serial line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-all}"

if [ -z "${DRAVEL_WINE_ISOLATED:-}" ]; then
  export DRAVEL_WINE_ISOLATED=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --mount --propagation private "$0" "$@"
  fi
  exec unshare --map-root-user --mount --propagation private "$0" "$@"
fi
for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/ttyAMA*; do
  [ -e "$dev" ] || continue
  mount --bind /dev/null "$dev" || { echo "cannot hide $dev from Wine; stopping" >&2; exit 1; }
done

deps="${DRAVEL_WIN_DEPS:-$HOME/.cache/dravel-win64}"
export DRAVEL_WIN_DEPS="$deps"
log() { printf '== %s\n' "$*" >&2; }

work="$(mktemp -d /tmp/dravel-wine.XXXXXX)"
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer dialogs
export WINEARCH=win64
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Unix path to the Windows path Wine shows for it (drive Z: is the Unix root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mingw_runtime_dirs() {
  local gcc_dir
  gcc_dir="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
  printf '%s;%s' "$(winpath "$gcc_dir")" "$(winpath /usr/x86_64-w64-mingw32/lib)"
}

# The serial ports the tests may use are registered before the wineserver starts, as Wine lists
# only those; COM1-COM4 are never used.
start_wine() {
  log "Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  rm -f "$WINEPREFIX"/dosdevices/com*
  wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$work/ports/com7" /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$work/ports/com8" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  rm -f "$WINEPREFIX"/dosdevices/com[1-4]
  wineserver -p # stays up between the programs: each starts in a fraction of a second
}

passed=0
failed=0
skipped=0
broken=()

# run_program EXE: runs one test program under Wine and adds up its result line.
run_program() {
  local exe="$1" name out rc p f s
  name="$(basename "$exe" .exe)"
  out="$work/logs/$name.log"
  mkdir -p "$work/logs"
  rc=0
  (cd "$(dirname "$exe")" && timeout 300 wine "$exe" >"$out" 2>&1) || rc=$?
  p=0 f=0 s=0
  if grep -q '^Totals:' "$out"; then # Qt Test
    read -r p f s < <(sed -n -E 's/^Totals: ([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped.*/\1 \2 \3/p' "$out")
  else # GoogleTest
    p="$(sed -n -E 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$out")"
    f="$(sed -n -E 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$out")"
    s="$(sed -n -E 's/^\[  SKIPPED \] ([0-9]+) tests?, listed below.*/\1/p' "$out")"
    p="${p:-0}" f="${f:-0}" s="${s:-0}"
  fi
  passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
  printf '%-28s %4d passed %3d failed %3d skipped' "$name" "$p" "$f" "$s"
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
    broken+=("$name")
    printf '   exit code %d' "$rc"
  fi
  printf '\n'
  if [ "$f" -ne 0 ] || [ "$rc" -ne 0 ]; then
    grep -E '^\[  FAILED  \]|^FAIL!|Failure|error' "$out" | head -20 | sed 's/^/    /'
    cp "$out" "${DRAVEL_WINE_LOGS:-$root/build-win64-logs}/" 2>/dev/null || true
  fi
}

run_programs() {
  local dir="$1" exe
  mkdir -p "${DRAVEL_WINE_LOGS:-$root/build-win64-logs}"
  for exe in "$dir"/tests/*_test.exe "$dir"/tests/tst_*.exe; do
    [ -f "$exe" ] && run_program "$exe"
  done
}

build_tests() { # build_tests BUILD_DIR [cmake options…]
  local dir="$1"
  shift
  cmake -S "$root" -B "$dir" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVEL_BUILD_TESTS=ON -DDRAVEL_BUILD_BENCHMARKS=OFF "$@" \
    >/dev/null
  nice -n 19 cmake --build "$dir" -j"${DRAVEL_JOBS:-$(nproc)}" >"$dir.build.log" 2>&1 \
    || { tail -40 "$dir.build.log" >&2; exit 1; }
}

summary() {
  printf 'Windows tests under Wine: %d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
  if [ ${#broken[@]} -ne 0 ]; then
    printf 'programs that ended abnormally: %s\n' "${broken[*]}"
  fi
  [ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ]
}

main() {
  "$root/scripts/build-windows.sh" gtest
  case "$mode" in
    core)
      build_tests "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}" -DDRAVEL_CORE_ONLY=ON
      start_wine
      export WINEPATH="$(mingw_runtime_dirs)"
      run_programs "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}"
      ;;
    *) echo "usage: $0 [all|core]" >&2; exit 2 ;;
  esac
  summary
}
main
