#!/usr/bin/env bash
# Draws the two wiring diagrams from their LaTeX sources in hardware/:
#   schaltplan-low.tex -> "hardware/schaltplan (low).pdf", schaltplan.tex -> hardware/schaltplan.pdf
# The PDFs are committed, so building and testing Dravel need no TeX. A second run gives the same
# bytes (no clock, no trailer ID, fixed date). With --check the PDFs are drawn into a temporary
# folder and the script fails when they differ from the committed ones (CI runs this); without it
# every page of each is also saved as a picture for the README (docs/schaltplan*-<page>.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode="${1:-}"
case "$mode" in
  "" | --check) ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# circuitikz (texlive-pictures) draws the DIN symbols; the rest is the LaTeX around it and
# pdftoppm for the README pictures.
packages=(texlive-latex-base texlive-latex-recommended texlive-latex-extra texlive-pictures
  texlive-lang-german lmodern poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
fi

export SOURCE_DATE_EPOCH=1767225600 FORCE_SOURCE_DATE=1 TZ=UTC LC_ALL=C.UTF-8
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

draw() { # source.tex, target PDF name, output folder
  cp "$root/hardware/$1" "$root/hardware/gemeinsam.tex" "$work/"
  if ! (cd "$work" && pdflatex -interaction=nonstopmode -halt-on-error "$1" >/dev/null); then
    grep -A5 '^!' "$work/${1%.tex}.log" >&2 || true
    echo "pdflatex failed on hardware/$1" >&2
    exit 1
  fi
  cp "$work/${1%.tex}.pdf" "$3/$2"
}

out="$root/hardware"
[ "$mode" = --check ] && out="$work/out" && mkdir -p "$out"
draw schaltplan-low.tex "schaltplan (low).pdf" "$out"
draw schaltplan.tex schaltplan.pdf "$out"

if [ "$mode" = --check ]; then
  status=0
  for f in "schaltplan (low).pdf" schaltplan.pdf; do
    if cmp -s "$out/$f" "$root/hardware/$f"; then
      echo "hardware/$f: up to date"
    else
      echo "hardware/$f differs from its source: run ./scripts/schaltplan.sh and commit it" >&2
      status=1
    fi
  done
  exit $status
fi
# The README shows every page of each.
rm -f "$root"/docs/schaltplan-low-*.png "$root"/docs/schaltplan-[0-9]*.png
pdftoppm -r 90 -png "$out/schaltplan (low).pdf" "$root/docs/schaltplan-low"
pdftoppm -r 90 -png "$out/schaltplan.pdf" "$root/docs/schaltplan"
echo "Drawn: hardware/schaltplan (low).pdf, hardware/schaltplan.pdf, docs/schaltplan-low-*.png, docs/schaltplan-*.png"
