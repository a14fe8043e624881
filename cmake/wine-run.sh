#!/usr/bin/env bash
# How CMake and CTest run a Windows program on Linux (CMAKE_CROSSCOMPILING_EMULATOR of
# cmake/mingw-w64.cmake): under Wine, in the prefix scripts/test-windows.sh prepares inside a mount
# namespace that hides the machine's serial devices. Returns the program's exit code.
#
#   wine-run.sh PROGRAM.exe [arguments…]
#
# DRAVEL_WINE_PRELOAD  preloaded into Wine (the modem-line stand-in of the serial tests)
# DRAVEL_WINE_NO_AUDIO set: Wine's audio drivers switched off, as on a PC without a sound card
set -uo pipefail
if [ -z "${DRAVEL_WINE_ISOLATED:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "$(basename "$0"): Windows programs run inside scripts/test-windows.sh, whose Wine prefix" \
    "cannot reach the machine's serial devices" >&2
  exit 1
fi
exe="$1"
shift
[ -z "${DRAVEL_WINE_PRELOAD:-}" ] || export LD_PRELOAD="$DRAVEL_WINE_PRELOAD"
[ -z "${DRAVEL_WINE_NO_AUDIO:-}" ] \
  || export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winealsa.drv,winepulse.drv,wineoss.drv=d"

# Output goes through files: programs Wine starts on the side (its services) inherit the handles
# and would hold a pipe open long after the test ended. Windows programs end their lines with
# CR LF; CTest and the test discovery read Unix lines.
work="$(mktemp -d /tmp/dravel-wine-run.XXXXXX)"
trap 'rm -rf "$work"' EXIT
args=()
# A Qt Test program's console output does not come through Wine: it writes its results to a file.
case "$(basename "$exe")" in tst_*) args=(-o "Z:${work//\//\\}\\results.txt,txt") ;; esac
wine "$exe" "${args[@]}" "$@" >"$work/stdout" 2>"$work/stderr"
rc=$?
# A test program that ran prints something (GoogleTest and Qt Test both do). A failure without a
# single byte is Wine not starting it (seen once in a loaded CI run, 0.02 s): said, and run again.
if [ "$rc" -ne 0 ] && [ ! -s "$work/stdout" ] && [ ! -s "$work/stderr" ] && [ ! -s "$work/results.txt" ]; then
  echo "wine-run.sh: $(basename "$exe") ended with $rc before printing anything; started again" >&2
  wine "$exe" "${args[@]}" "$@" >"$work/stdout" 2>"$work/stderr"
  rc=$?
fi
[ ! -f "$work/results.txt" ] || tr -d '\r' <"$work/results.txt"
tr -d '\r' <"$work/stdout"
tr -d '\r' <"$work/stderr" >&2
exit "$rc"
