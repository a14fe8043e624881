#!/usr/bin/env bash
# Draws the windows of the Extras menu and page 1 of the settings report
# into docs/ (shown in the README). Needs a build (scripts/build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${DRAVEL_BUILD_DIR:-$root/build}"
cmake --build "$build" -j2 --target extras_screenshots
QT_QPA_PLATFORM=offscreen "$build/tests/extras_screenshots" "$root/docs"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$root/docs/extras-bericht.pdf" "$root/docs/extras-bericht-seite1"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$root/docs/extras-pruefprotokoll.pdf" \
  "$root/docs/extras-pruefprotokoll-seite1"
rm "$root/docs/extras-bericht.pdf" "$root/docs/extras-pruefprotokoll.pdf"
ls -1 "$root"/docs/extras-*
