#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Dravel need.
# Only packages that are missing are installed, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build ccache clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libsdl2-dev libsndfile1-dev libasound2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils x11-apps imagemagick fonts-dejavu-core fonts-liberation2 fonts-wine
  qt6-translations-l10n
  binutils-mingw-w64-x86-64 hyperfine sox libsox-fmt-mp3 poppler-utils
  xdg-utils ngspice python3
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
