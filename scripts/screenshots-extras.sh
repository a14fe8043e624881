#!/usr/bin/env bash
# Draws the windows of the Extras menu and the pages of the settings report
# into docs/ (shown in the README). Needs a build (scripts/build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/lib/pagebreak-picture.sh"
build="$root/build" # the preset linux's
(cd "$root" && cmake --build --preset linux -j2 --target extras_screenshots)
QT_QPA_PLATFORM=offscreen "$build/tests/extras_screenshots" "$root/docs"
rm -f "$root"/docs/extras-bericht-seite*.png
pdftoppm -png -r 80 "$root/docs/extras-bericht.pdf" "$root/docs/extras-bericht-seite"
# pdftoppm numbers the pages with as many digits as the last one needs.
for page in "$root"/docs/extras-bericht-seite-*.png; do
  number="${page##*-}"
  mv "$page" "$root/docs/extras-bericht-seite$((10#${number%.png})).png"
done
# The report ends with one course page per alarm kind: the last one (the FMS course) is kept
# as the README's picture of them.
last=""
for page in "$root"/docs/extras-bericht-seite*.png; do
  number="${page##*seite}"; number="${number%.png}"
  if pdftotext -f "$number" -l "$number" "$root/docs/extras-bericht.pdf" - | grep -q '^Alarmablauf: '; then
    [ -n "$last" ] && rm "$last"
    last="$page"
  fi
done
[ -n "$last" ] && mv "$last" "$root/docs/extras-bericht-alarmablauf.png"
rm "$root/docs/extras-bericht.pdf"
pagebreak_picture "$root/docs/extras-bericht-seitenumbruch.pdf" "$root/docs/report-pagebreak.png"
rm "$root/docs/extras-bericht-seitenumbruch.pdf"
pdftoppm -png -r 80 -f 1 -l 1 -singlefile "$root/docs/extras-pruefprotokoll.pdf" \
  "$root/docs/extras-pruefprotokoll-seite1"
rm "$root/docs/extras-pruefprotokoll.pdf"
ls -1 "$root"/docs/extras-*
