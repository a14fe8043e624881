#!/usr/bin/env bash
# Runs the Windows build's tests under Wine in a throw-away Wine prefix: sets up the prefix, the
# pseudo-terminal behind COM7 and a virtual display, then runs `ctest --preset win64` (each program
# through cmake/wine-run.sh, the build's CMAKE_CROSSCOMPILING_EMULATOR).
#
#   scripts/test-windows.sh        every test (ctest --preset win64), then Dravel.exe from the zip
#                                  on Xvfb (main window screenshot, version check); needs the
#                                  dependency cache that scripts/build-windows.sh builds
#   scripts/test-windows.sh core   only the tests that need neither Qt nor SDL2/libsndfile
#                                  (ctest --preset win64-core): mingw-w64, Wine and GoogleTest
#                                  built from source are enough
#   scripts/test-windows.sh window only Dravel.exe from the newest zip in dist/: main window,
#                                  screenshot, version
#   scripts/test-windows.sh pictures  the import dialog, the list check, "Über", the alarm course
#                                  and a report page break as Wine draws them, into
#                                  docs/windows-*.png, and the report's fonts (needs a whole run's
#                                  build first)
#   scripts/test-windows.sh scales every window, title bar included, at 100, 125, 150 and 200 %
#                                  display scaling (Wine's LogPixels 96, 120, 144, 192) into
#                                  build-win64/scales/<percent>/, the main window and "ComPort"
#                                  of 125 and 150 % into docs/, and the edge check of every
#                                  window at each scale (needs a whole run's build first)
#
# DRAVEL_WINE_ONLY (a regular expression) picks test programs by name (ctest -L: each test is
# labelled with its program; "save_trials" for the trials of saves killed at random moments and of
# two saves at once). Each test has the time limit it has on Linux.
# DRAVEL_KILLS (default 300) and DRAVEL_TWO_SAVERS (default 500) size the save trials; both 0
# leaves them out.
#
# Wine maps COM1 to the machine's /dev/ttyS0 by itself. Everything here therefore runs in a private
# mount namespace with /dev/null bound over every serial device, and the prefix's own COM links are
# removed: no test can reach a real serial line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-all}"
. "$root/scripts/lib/wait-for-window.sh"
. "$root/scripts/lib/pagebreak-picture.sh"

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
mkdir -p "$work/logs"
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
  export DRAVEL_WINE_PRELOAD="$work/pty_modem_lines.so"
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

# run_ctest PRESET: the build's tests under Wine, added up from ctest's JUnit report.
run_ctest() {
  local report="$work/ctest.xml" args=() counts p f s
  [ -z "${DRAVEL_WINE_ONLY:-}" ] || args+=(-L "$DRAVEL_WINE_ONLY")
  if [ "${DRAVEL_KILLS:-300}" = 0 ] && [ "${DRAVEL_TWO_SAVERS:-500}" = 0 ]; then
    echo "save trials: not run (DRAVEL_KILLS=0, DRAVEL_TWO_SAVERS=0)"
    args+=(-LE '^save_trials$')
  fi
  (cd "$root" && ctest --preset "$1" --output-junit "$report" "${args[@]}") || true
  if [ ! -s "$report" ]; then
    echo "ctest ran no test (see above)" >&2
    failed=$((failed + 1))
    return 0
  fi
  counts="$(python3 - "$report" <<'PY'
import sys, xml.etree.ElementTree as tree
cases = tree.parse(sys.argv[1]).getroot().iter("testcase")
status = [("skipped" if c.find("skipped") is not None else c.get("status")) for c in cases]
print(status.count("run"), len(status) - status.count("run") - status.count("skipped"),
      status.count("skipped"))
PY
)" || counts="0 1 0"
  read -r p f s <<<"$counts"
  passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
}

build_with_preset() { # build_with_preset PRESET
  cmake --preset "$1" -DDRAVEL_WIN_DEPS="$deps" >"$work/configure.log" 2>&1 \
    || { tail -40 "$work/configure.log" >&2; exit 1; }
  nice -n 19 cmake --build --preset "$1" -j"${DRAVEL_JOBS:-$(nproc)}" >"$work/build.log" 2>&1 \
    || { tail -40 "$work/build.log" >&2; exit 1; }
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
# German texts where Dravel.exe looks for them, and every DLL it loads: exactly the files of
# scripts/windows/zip-contents.txt.
zip_layout_check() {
  local missing extra
  missing="$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort \
    | LC_ALL=C comm -13 - "$root/scripts/windows/zip-contents.txt")"
  extra="$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort \
    | LC_ALL=C comm -23 - "$root/scripts/windows/zip-contents.txt")"
  if [ -z "$missing$extra" ]; then
    echo "zip: Dravel.exe and both wiring diagrams at its root, font and translations beside"
    passed=$((passed + 1))
  else
    [ -z "$missing" ] || printf 'zip: missing at its root: %s\n' "$(tr '\n' ' ' <<<"$missing")" >&2
    [ -z "$extra" ] || printf 'zip: not expected: %s\n' "$(tr '\n' ' ' <<<"$extra")" >&2
    failed=$((failed + 1))
  fi
}

# A 200 % laptop's screen: the main window fits whole at every scale the tests set.
start_display() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
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
  local line geometry start=$SECONDS shot
  shot="${DRAVEL_WIN_SCREENSHOT:-$root/docs/main-window-windows.png}"
  [ -n "${xvfb_pid:-}" ] || start_display
  (cd "$work" && SDL_AUDIODRIVER=dummy wine "$app/Dravel.exe" >"$work/logs/Dravel.log" 2>&1) &
  local pid=$!
  if ! line="$(wait_for_window "$DRAVEL_MAIN_WINDOW" 30)"; then
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

# The version the build gave the program (the test compares with the same).
project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"; }

# Dravel.exe's own version, read through the wide version functions of Windows.
version_check() {
  local out="$work/logs/version.log"
  # The test program reads the name through the C runtime's ANSI getenv: a plain path.
  cp "$app/Dravel.exe" "$work/Dravel.exe"
  (cd "$work" && DRAVEL_EXECUTABLE="$work/Dravel.exe" wine "$build/tests/version_text_test.exe" \
    --gtest_filter=DravelExecutable.* >"$out" 2>&1) || true
  # Every DravelExecutable case ran (the version, the German resource) and none failed.
  if grep -q '^\[  PASSED  \] [1-9][0-9]* test' "$out" && ! grep -q '^\[  FAILED  \]' "$out"; then
    echo "Dravel.exe: version resource $(project_version) read through GetFileVersionInfoW"
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

# Each display scale Windows offers, as Wine's LogPixels: every window photographed with its frame
# and the edge check of every window run at that scale.
scales_check() {
  local dpi percent out
  for dpi in 96 120 144 192; do
    percent=$((dpi * 100 / 96))
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    out="$build/scales/$percent"
    mkdir -p "$out"
    cp "$build/docs/screenshots/dravel_screenshots.exe" "$app/"
    (cd "$app" && DRAVEL_SCREENSHOT_FRAMES=1 wine ./dravel_screenshots.exe \
      "$(winpath "$out")") >"$work/logs/scales-$percent.log" 2>&1 || true
    rm -f "$app/dravel_screenshots.exe"
    if (cd "$build/tests" && "$root/cmake/wine-run.sh" ./tst_window_edges.exe) \
      >"$work/logs/edges-$percent.log" 2>&1; then
      echo "windows at $percent %: every control within its parent, every text with room, every frame line shown"
      passed=$((passed + 1))
    else
      echo "windows at $percent %: controls cut (logs/edges-$percent.log):" >&2
      grep -E '^FAIL' "$work/logs/edges-$percent.log" >&2 || true
      failed=$((failed + 1))
    fi
  done
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  for percent in 125 150; do
    for p in main-window comport; do
      if [ -f "$build/scales/$percent/$p.png" ]; then
        cp "$build/scales/$percent/$p.png" "$root/docs/windows-$p-$percent.png"
      fi
    done
  done
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
      build_with_preset win64-core
      start_wine
      export WINEPATH="$(mingw_runtime_dirs)"
      run_ctest win64-core
      ;;
    all)
      build="$root/build-win64"
      # Dravel.exe and the zip, then the tests in the same build.
      "$root/scripts/build-windows.sh"
      build_with_preset win64
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      # The window tests run on Qt's own Windows platform, as users have it: Wine draws their
      # windows on a virtual display. (Wine hands no QT_* variable on to Windows programs, so
      # there is no choosing another platform from here.)
      start_display
      export SDL_AUDIODRIVER=dummy
      run_ctest win64
      unpack_zip
      zip_layout_check
      main_window_check
      version_check
      draw_pictures
      report_fonts_check
      ;;
    pictures)
      build="$root/build-win64"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      unpack_zip
      start_display
      draw_pictures
      report_fonts_check
      for p in extras-importieren extras-bedingungsliste-pruefen info extras-alarmablauf extras-alarmablauf-fms; do
        cp "$pictures/$p.png" "$root/docs/windows-$p.png"
      done
      cp "$pictures/extras-bericht.pdf" "$build/bericht.pdf"
      pagebreak_picture "$pictures/extras-bericht-seitenumbruch.pdf" "$root/docs/windows-report-pagebreak.png"
      ;;
    scales)
      build="$root/build-win64"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      unpack_zip
      start_display
      export SDL_AUDIODRIVER=dummy
      scales_check
      ;;
    window)
      build="$root/build-win64"
      [ -f "$build/tests/version_text_test.exe" ] || build="$root/build-win64-core"
      start_wine
      export WINEPATH="$(winpath "$deps/bin");$(mingw_runtime_dirs)"
      unpack_zip
      zip_layout_check
      main_window_check
      version_check
      ;;
    *) echo "usage: $0 [all|core|window|pictures|scales]" >&2; exit 2 ;;
  esac
  summary
}
main
