#!/usr/bin/env bash
# Runs the Windows build's tests under Wine in a throw-away Wine prefix.
#
#   scripts/test-windows.sh        every test program, then Dravel.exe from the zip on Xvfb (main
#                                  window screenshot, version check); needs the dependency cache
#                                  that scripts/build-windows.sh builds
#   scripts/test-windows.sh core   only the programs that need neither Qt nor SDL2/libsndfile:
#                                  mingw-w64, Wine and GoogleTest built from source are enough
#   scripts/test-windows.sh window only Dravel.exe from the newest zip in dist/: main window,
#                                  screenshot, version
#   scripts/test-windows.sh pictures  the import dialog, the list check and "Über" as Wine draws
#                                  them, into docs/windows-*.png, and the report's fonts (needs a
#                                  whole run's build first)
#
# DRAVEL_WINE_ONLY (a regular expression) picks test programs by file name ("save_trials" for the
# trials of saves killed at random moments and of two saves at once).
# DRAVEL_WINE_TIMEOUT limits each test program (seconds, default 120; each takes a few).
# DRAVEL_KILLS (default 300) and DRAVEL_TWO_SAVERS (default 500) size the save trials.
#
# Wine maps COM1 to the machine's /dev/ttyS0 by itself. Everything here therefore runs in a private
# mount namespace with /dev/null bound over every serial device, and the prefix's own COM links are
# removed: no test can reach a real serial line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-all}"

serial_devices() { compgen -G '/dev/tty[SUA]*' | grep -E '^/dev/tty(S|USB|ACM|AMA)[0-9]+$' || true; }

if [ -z "${DRAVEL_WINE_ISOLATED:-}" ]; then
  export DRAVEL_WINE_ISOLATED=1
  ns=(unshare --mount --propagation private)
  [ "$(id -u)" -eq 0 ] || ns=(unshare --map-root-user --mount --propagation private)
  if "${ns[@]}" true 2>/dev/null; then
    exec "${ns[@]}" "$0" "$@"
  fi
  # Wine probes the serial devices it finds while it sets up a prefix; opening one can raise its
  # lines. Without a namespace to hide them in, run only where there are none.
  if [ -n "$(serial_devices)" ]; then
    echo "SKIPPED: the Windows tests under Wine: no private mount namespace here to hide" \
      "$(serial_devices | tr '\n' ' ')from Wine." >&2
    exit 0
  fi
  DRAVEL_WINE_ISOLATED=none
fi
if [ "$DRAVEL_WINE_ISOLATED" = 1 ]; then
  for dev in $(serial_devices); do
    mount --bind /dev/null "$dev" || { echo "cannot hide $dev from Wine; stopping" >&2; exit 1; }
  done
fi

deps="${DRAVEL_WIN_DEPS:-$HOME/.cache/dravel-win64}"
export DRAVEL_WIN_DEPS="$deps"
log() { printf '== %s\n' "$*" >&2; }

work="$(mktemp -d /tmp/dravel-wine.XXXXXX)"
export WINEPREFIX="$work/prefix"
export WINEDEBUG="${DRAVEL_WINEDEBUG:--all}" # e.g. +comm,+serial when a port test fails
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer dialogs
export WINEARCH=win64
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${far_end_pid:-}" ] && kill "$far_end_pid" 2>/dev/null || true
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

# The far end of the serial tests' line: a pseudo-terminal that Wine's COM7 (and COM10, for the
# port list's order) leads to, registered before the wineserver starts, as Wine lists only those.
# pty_modem_lines.so gives the pseudo-terminal modem lines inside the test programs.
start_far_end() {
  local ports="$work/ports"
  mkdir -p "$ports/lines"
  gcc -shared -fPIC -O2 -o "$work/pty_modem_lines.so" \
    "$root/tests/devices/serial/pty_modem_lines.c" -ldl
  python3 "$root/tests/devices/serial/wine/pty_far_end.py" "$ports" &
  far_end_pid=$!
  for _ in $(seq 1 100); do [ -s "$ports/terminal" ] && break; sleep 0.05; done
  local port
  for port in COM7 COM10; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$(cat "$ports/terminal")" /f \
      >/dev/null 2>&1
  done
  export DRAVEL_TEST_COM=COM7 DRAVEL_TEST_COM_SEND="$ports/send" DRAVEL_TEST_COM_FOLDER="$ports"
  export DRAVEL_PTY_LINES_DIR="$ports/lines"
  preload="$work/pty_modem_lines.so"
}

start_wine() {
  log "Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  [ "$mode" = core ] || start_far_end
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineboot >/dev/null 2>&1 # the devices are set up again, COM7 and COM10 with them
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
  local exe="$1" name="${2:-$(basename "$1" .exe)}" out rc p f s
  out="$work/logs/${name// /_}.log"
  mkdir -p "$work/logs"
  rc=0
  # A Qt Test program's console output does not come through Wine: it writes its results to a file.
  local args=()
  case "$(basename "$exe")" in tst_*) args=(-o "$(winpath "$out"),txt") ;; esac
  (cd "$(dirname "$exe")" && LD_PRELOAD="${preload:-}" timeout "${DRAVEL_WINE_TIMEOUT:-120}" \
    wine "$exe" "${args[@]}" >"$out.console" 2>&1) || rc=$?
  [ -s "$out" ] || mv "$out.console" "$out"
  p=0 f=0 s=0
  if grep -q '^Totals:' "$out"; then # Qt Test
    read -r p f s < <(sed -n -E 's/^Totals: ([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped.*/\1 \2 \3/p' "$out") || true
  else # GoogleTest
    p="$(sed -n -E 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$out")"
    f="$(sed -n -E 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$out")"
    s="$(sed -n -E 's/^\[  SKIPPED \] ([0-9]+) tests?, listed below.*/\1/p' "$out")"
    p="${p:-0}" f="${f:-0}" s="${s:-0}"
  fi
  p="${p:-0}" f="${f:-0}" s="${s:-0}"
  passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
  printf '%-28s %4d passed %3d failed %3d skipped' "$name" "$p" "$f" "$s"
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
    broken+=("$name")
    printf '   exit code %d' "$rc"
  fi
  printf '\n'
  if [ "$f" -ne 0 ] || [ "$rc" -ne 0 ]; then
    { grep -E '^\[  FAILED  \]|^FAIL!|Failure|error' "$out" || true; } | head -20 | sed 's/^/    /'
    mkdir -p "${DRAVEL_WINE_LOGS:-$root/build-win64-logs}"
    cp "$out" "${DRAVEL_WINE_LOGS:-$root/build-win64-logs}/" 2>/dev/null || true
  fi
}

run_programs() {
  local dir="$1" exe
  for exe in "$dir"/tests/*_test.exe "$dir"/tests/tst_*.exe; do
    [[ "$(basename "$exe")" =~ ${DRAVEL_WINE_ONLY:-.} ]] || continue
    if [ -f "$exe" ]; then run_program "$exe"; fi
  done
}

# Prog.ini and Alarmierung.dat saved in a loop in a folder "Wache Süd" and killed at random moments,
# then saved by two programs at once (tests/config/save_trials.py).
save_trials() {
  local exe="$1/tests/save_loop.exe" out="$work/logs/save_trials.log" start=$SECONDS
  [ -f "$exe" ] && [[ save_trials =~ ${DRAVEL_WINE_ONLY:-.} ]] || return 0
  if [ "${DRAVEL_KILLS:-300}" = 0 ] && [ "${DRAVEL_TWO_SAVERS:-500}" = 0 ]; then
    echo "save trials: not run (DRAVEL_KILLS=0, DRAVEL_TWO_SAVERS=0)"
    return 0
  fi
  mkdir -p "$work/logs"
  if python3 "$root/tests/config/save_trials.py" --wine "$exe" | tee "$out"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  echo "save trials under Wine: $((SECONDS - start)) s"
}

# The platform mixer once more with Wine's audio drivers switched off: the case of a PC without
# a sound card.
mixer_without_driver() {
  local exe="$1/tests/mixer_alsa_test.exe"
  [ -f "$exe" ] || return 0
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,winepulse.drv,wineoss.drv=d" \
    run_program "$exe" "mixer_alsa_test (no driver)"
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

# --- Dravel.exe from the zip -----------------------------------------------------------------------
unpack_zip() {
  zip="$(ls -t "$root"/dist/Dravel-*-win64.zip | head -1)"
  # A program folder as units name them: with a blank and umlauts. The zip holds no top folder,
  # so it unpacks straight into it, as into Kalvor's folder.
  app="$work/Feuerwehr Gerätehaus"
  mkdir -p "$app"
  unzip -q "$zip" -d "$app"
}

# The zip unpacks where Kalvor is: Dravel.exe, both wiring diagrams, the stand-in font and Qt's
# German texts where Dravel.exe looks for them.
zip_layout_check() {
  local entries missing=() f
  entries="$(unzip -Z1 "$zip")"
  for f in Dravel.exe "schaltplan (low).pdf" schaltplan.pdf LIESMICH.txt \
    fonts/ms_sans_serif.ttf translations/qtbase_de.qm platforms/qwindows.dll; do
    grep -qxF "$f" <<<"$entries" || missing+=("$f")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "zip: Dravel.exe and both wiring diagrams at its root, font and translations beside"
    passed=$((passed + 1))
  else
    printf 'zip: missing at its root: %s\n' "${missing[*]}" >&2
    failed=$((failed + 1))
  fi
}

start_display() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      if xwininfo -root >/dev/null 2>&1; then
        # Without a window manager on the display Wine draws the Windows caption itself and
        # activates windows as Windows does.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        return 0
      fi
      sleep 0.1
    done
  done
  echo "no virtual display" >&2
  exit 1
}

# Starts Dravel.exe on Xvfb, waits for its main window, saves its picture and closes it the way
# the user does (WM_CLOSE).
main_window_check() {
  local title='"Einstellungen für "Kalvor.EXE""' line geometry start=$SECONDS shot
  shot="${DRAVEL_WIN_SCREENSHOT:-$root/docs/main-window-windows.png}"
  [ -n "${xvfb_pid:-}" ] || start_display
  (cd "$work" && SDL_AUDIODRIVER=dummy wine "$app/Dravel.exe" >"$work/logs/Dravel.log" 2>&1) &
  local pid=$!
  for _ in $(seq 1 300); do
    line="$(xwininfo -root -tree 2>/dev/null | grep -F "$title" | head -1 || true)"
    [ -n "$line" ] && break
    sleep 0.1
  done
  if [ -z "$line" ]; then
    echo "Dravel.exe: the main window did not appear" >&2
    tail -20 "$work/logs/Dravel.log" >&2
    broken+=("Dravel.exe")
    return 0
  fi
  echo "Dravel.exe: main window shown after $((SECONDS - start)) s (Wine start included)"
  sleep 2 # let it paint
  geometry="$(grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+' <<<"$line" | head -1)"
  import -window root -crop "$geometry" +repage "$shot"
  echo "Dravel.exe: screenshot $shot ($geometry)"
  wine taskkill /im Dravel.exe >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "Dravel.exe: did not close on WM_CLOSE" >&2
    broken+=("Dravel.exe close")
    kill "$pid" 2>/dev/null || true
  else
    echo "Dravel.exe: closed"
  fi
  local written
  written="$(cd "$app" && ls -A | grep -vE '\.(exe|dll|txt|pdf)$|^(platforms|styles|fonts|translations)$' || true)"
  if [ -n "$written" ]; then
    echo "Dravel.exe wrote into its folder without being asked: $written" >&2
    broken+=("Dravel.exe files")
  fi
}

# Dravel.exe's own version, read through the wide version functions of Windows.
version_check() {
  local out="$work/logs/version.log"
  # The test program reads the name through the C runtime's ANSI getenv: a plain path.
  cp "$app/Dravel.exe" "$work/Dravel.exe"
  (cd "$work" && DRAVEL_EXECUTABLE="$work/Dravel.exe" wine "$build/tests/version_text_test.exe" \
    --gtest_filter=DravelExecutable.* >"$out" 2>&1) || true
  if grep -q '^\[  PASSED  \] 1 test' "$out"; then
    echo "Dravel.exe: version resource 1.6.1.2 read through GetFileVersionInfoW"
    passed=$((passed + 1))
  else
    echo "Dravel.exe: version check failed" >&2
    grep -A4 Failure "$out" >&2 || true
    failed=$((failed + 1))
  fi
}

# The picture programs, run from the unpacked zip (its DLLs, font and German texts): the windows
# as Wine draws them and the settings report as the Windows build writes it.
draw_pictures() {
  pictures="$work/pictures"
  mkdir -p "$pictures"
  cp "$build/docs/screenshots/dravel_screenshots.exe" "$build/tests/extras_screenshots.exe" "$app/"
  (cd "$app" && SDL_AUDIODRIVER=dummy wine ./dravel_screenshots.exe "$(winpath "$pictures")" \
    "$(winpath "$app/Dravel.exe")" && wine ./extras_screenshots.exe "$(winpath "$pictures")") \
    >"$work/logs/pictures.log" 2>&1 || true
  rm -f "$app"/*_screenshots.exe
}

# The report's body text in the regular face, its headings in the bold one: two faces, both
# embedded (under Wine the one face once stood for both).
report_fonts_check() {
  local fonts
  fonts="$(pdffonts "$pictures/extras-bericht.pdf" 2>/dev/null | awk 'NR > 2 { print $1, $(NF-4) }')"
  if [ "$(grep -c ' yes$' <<<"$fonts")" -ge 2 ] && ! grep -q ' no$' <<<"$fonts"; then
    echo "report PDF: regular and bold faces embedded ($(tr '\n' ' ' <<<"$fonts"))"
    passed=$((passed + 1))
  else
    echo "report PDF: fonts not as they should be: ${fonts:-no PDF written}" >&2
    failed=$((failed + 1))
  fi
}

summary() {
  printf 'Windows tests under Wine: %d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
  if [ ${#broken[@]} -ne 0 ]; then
    printf 'programs that ended abnormally: %s\n' "${broken[*]}"
  fi
  [ "$failed" -eq 0 ] && [ ${#broken[@]} -eq 0 ]
}

main() {
  [ "$mode" = window ] || "$root/scripts/build-windows.sh" gtest
  case "$mode" in
    core)
      build_tests "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}" -DDRAVEL_CORE_ONLY=ON
      start_wine
      export WINEPATH="$(mingw_runtime_dirs)"
      run_programs "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}"
      mixer_without_driver "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}"
      save_trials "${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}"
      ;;
    all)
      build="${DRAVEL_WIN_BUILD:-$root/build-win64}"
      DRAVEL_WIN_TESTS=ON "$root/scripts/build-windows.sh"
      build_tests "$build" -DDRAVEL_WIN_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      # The window tests run on Qt's own Windows platform, as users have it: Wine draws their
      # windows on a virtual display. (Wine hands no QT_* variable on to Windows programs, so
      # there is no choosing another platform from here.)
      start_display
      export SDL_AUDIODRIVER=dummy
      run_programs "$build"
      mixer_without_driver "$build"
      save_trials "$build"
      unpack_zip
      zip_layout_check
      main_window_check
      version_check
      draw_pictures
      report_fonts_check
      ;;
    pictures)
      build="${DRAVEL_WIN_BUILD:-$root/build-win64}"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      mkdir -p "$work/logs"
      unpack_zip
      start_display
      draw_pictures
      report_fonts_check
      for p in extras-importieren extras-bedingungsliste-pruefen info; do
        cp "$pictures/$p.png" "$root/docs/windows-$p.png"
      done
      cp "$pictures/extras-bericht.pdf" "$build/bericht.pdf"
      ;;
    window)
      build="${DRAVEL_WIN_BUILD:-$root/build-win64}"
      [ -f "$build/tests/version_text_test.exe" ] || build="${DRAVEL_WIN_CORE_BUILD:-$root/build-win64-core}"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      mkdir -p "$work/logs"
      unpack_zip
      zip_layout_check
      main_window_check
      version_check
      ;;
    *) echo "usage: $0 [all|core|window|pictures]" >&2; exit 2 ;;
  esac
  summary
}
main
