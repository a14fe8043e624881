# pagebreak_picture PDF PNG: the first page break inside the findings table ("Anfang<n>" on both
# pages) as one picture: the lower part of the page before it, a grey bar, the upper part of the
# page after it. Needs pdftotext, pdftoppm and ImageMagick.
pagebreak_picture() {
  local pdf="$1" png="$2" pages page tmp
  pages="$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')"
  tmp="$(mktemp -d)"
  for page in $(seq 1 $((pages - 1))); do
    if pdftotext -f "$page" -l "$page" "$pdf" - | grep -q 'Anfang[0-9]' \
      && pdftotext -f $((page + 1)) -l $((page + 1)) "$pdf" - | grep -q 'Anfang[0-9]'; then
      pdftoppm -png -r 70 -f "$page" -l $((page + 1)) "$pdf" "$tmp/page"
      set -- "$tmp"/page-*.png
      convert "$1" -gravity south -crop 100%x45%+0+0 +repage "$tmp/before.png"
      convert "$2" -gravity north -crop 100%x45%+0+0 +repage "$tmp/after.png"
      convert "$tmp/before.png" -size "$(identify -format %w "$tmp/before.png")x8" xc:grey60 \
        "$tmp/after.png" -append "$png"
      rm -rf "$tmp"
      return 0
    fi
  done
  rm -rf "$tmp"
  echo "no page break inside the findings of $pdf" >&2
  return 1
}
