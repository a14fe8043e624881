#!/usr/bin/env bash
# Builds the Windows program on Debian: cross-builds Qt, SDL2, libsndfile (with MP3 through mpg123
# and LAME) and GoogleTest from Debian's own source packages once into a cache, then builds
# Dravel.exe with mingw-w64 (CMake preset win64, in build-win64/) and packs
# dist/Dravel-<version>-win64.zip with cpack (its install rules: cmake/DravelPackage.cmake).
#
#   scripts/build-windows.sh          everything: dependencies (when not cached), Dravel.exe, the zip
#   scripts/build-windows.sh deps     only the dependency cache
#   scripts/build-windows.sh gtest    only GoogleTest (enough for the Qt-free Windows tests)
#   scripts/build-windows.sh program  only Dravel.exe and the zip (the cache must be complete)
#   scripts/build-windows.sh cached   exits with 0 when the dependency cache is complete and current
#
# DRAVEL_WIN_DEPS   the dependency cache (default ~/.cache/dravel-win64); a component is rebuilt
#                   when its recipe in this file or the toolchain file changes
# DRAVEL_WIN_SRC    where the Debian sources are unpacked and built (default $DRAVEL_WIN_DEPS.src)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="${DRAVEL_WIN_DEPS:-$HOME/.cache/dravel-win64}"
src="${DRAVEL_WIN_SRC:-$deps.src}"
build="$root/build-win64" # the preset's
toolchain="$root/cmake/mingw-w64.cmake"
triple=x86_64-w64-mingw32
jobs="${DRAVEL_JOBS:-$(nproc)}"
export DRAVEL_WIN_DEPS="$deps"

log() { printf '== %s\n' "$*" >&2; }

install_tools() {
  local packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64 wine wine64 fonts-wine dpkg-dev zip unzip cmake ninja-build
    pkg-config perl python3 xvfb x11-utils imagemagick qt6-base-dev qt6-base-dev-tools
    qt6-translations-l10n python3-fonttools)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  log "installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# --- Debian source packages -------------------------------------------------------------------
# apt runs on a private state directory whose deb-src entries are derived from the machine's own
# Debian entries, so the system's apt configuration stays untouched.
apt_private() {
  apt-get -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$src/apt/sources.list.d" \
    -o Dir::State::Lists="$src/apt/lists" -o Dir::Cache="$src/apt/cache" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)" "$@"
}

write_deb_src_entries() {
  mkdir -p "$src/apt/sources.list.d" "$src/apt/lists/partial" "$src/apt/cache/archives/partial"
  local out="$src/apt/sources.list.d/debian-src.list"
  : >"$out"
  # One-line format: "deb [options] URI suite components…"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n -E 's@^[[:space:]]*deb[[:space:]]+(.*/debian(-security)?/?[[:space:]].*)$@deb-src \1@p' "$f" >>"$out"
  done
  # Deb822 format: one stanza per block of lines.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v RS= '{
      types = ""; uris = ""; suites = ""; comps = ""; enabled = "yes"
      n = split($0, line, "\n")
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^#/) continue
        key = tolower(line[i]); sub(/:.*/, "", key)
        val = line[i]; sub(/^[^:]*:[[:space:]]*/, "", val)
        if (key == "types") types = val
        else if (key == "uris") uris = val
        else if (key == "suites") suites = val
        else if (key == "components") comps = val
        else if (key == "enabled") enabled = tolower(val)
      }
      if (types !~ /(^| )deb( |$)/ || enabled == "no") next
      nu = split(uris, u, " "); ns = split(suites, s, " ")
      for (i = 1; i <= nu; i++) {
        if (u[i] !~ /\/debian(-security)?\/?$/) continue
        for (j = 1; j <= ns; j++) print "deb-src " u[i] " " s[j] " " comps
      }
    }' "$f" >>"$out"
  done
  [ -s "$out" ] || { echo "no Debian archive found in the apt sources" >&2; exit 1; }
}

# fetch_source PACKAGE: unpacks the package's Debian source once and prints its directory.
fetch_source() {
  local pkg="$1" dir
  dir="$(find "$src/sources" -maxdepth 1 -type d -name "$pkg-[0-9]*" 2>/dev/null | head -1 || true)"
  if [ -z "$dir" ]; then
    if [ ! -f "$src/apt/updated" ]; then
      write_deb_src_entries
      apt_private update -qq >&2
      touch "$src/apt/updated"
    fi
    mkdir -p "$src/sources"
    # apt checks every file against the signed index. Some mirrors lack the upstream signature
    # (.asc) of a package, which is only a copy of what the index already vouches for: unpack
    # without it then.
    (cd "$src/sources" && { apt_private source -qq --download-only "$pkg" >&2 || true; } \
      && dpkg-source --no-check -x "$(ls -t "${pkg}"_*.dsc | head -1)" >&2)
    dir="$(find "$src/sources" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -1)"
    [ -n "$dir" ] || { echo "could not fetch the Debian source of $pkg" >&2; exit 1; }
  fi
  echo "$dir"
}

# --- Dependency cache -------------------------------------------------------------------------
# Each component is stamped with a hash of its recipe, the recipes of the components built before
# it (which it may link) and the toolchain file: a changed recipe rebuilds it and all after it.
components=(googletest mpg123 lame libsndfile sdl2 qt)
recipe_hash() {
  local c
  {
    for c in "${components[@]}"; do
      declare -f "build_$c"
      [ "$c" = "$1" ] && break
    done
    declare -f cmake_cross autotools_cross
    # How the built programs are run (under Wine) is no part of building the dependencies.
    sed '/^# --- Running the programs/,$d' "$toolchain"
  } | sha256sum | cut -c1-16
}
is_current() { [ "$(cat "$deps/stamps/$1" 2>/dev/null)" = "$(recipe_hash "$1")" ]; }

run_nice() { nice -n 19 "$@"; }

cmake_cross() { # cmake_cross SOURCE BUILD [options…]
  local s="$1" b="$2"
  shift 2
  rm -rf "$b"
  cmake -S "$s" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DDRAVEL_WIN_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "$@" >"$b.configure.log" 2>&1 \
    || { tail -40 "$b.configure.log" >&2; return 1; }
  run_nice cmake --build "$b" -j"$jobs" >"$b.build.log" 2>&1 || { tail -40 "$b.build.log" >&2; return 1; }
  cmake --install "$b" >"$b.install.log" 2>&1
}

autotools_cross() { # autotools_cross SOURCE [configure options…]
  local s="$1"
  shift
  (cd "$s" && { [ ! -f Makefile ] || make distclean >/dev/null 2>&1 || true; } \
    && run_nice ./configure --host=$triple --prefix="$deps" --enable-shared --disable-static \
    CC=$triple-gcc-posix CXX=$triple-g++-posix PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" "$@" \
    >configure.dravel.log 2>&1 || { tail -40 configure.dravel.log >&2; exit 1; }
    run_nice make -j"$jobs" >make.dravel.log 2>&1 || { tail -40 make.dravel.log >&2; exit 1; }
    make install >install.dravel.log 2>&1)
}

build_googletest() {
  # Static, so that every test program runs without extra DLLs.
  cmake_cross "$(fetch_source googletest)" "$src/build/googletest" -DBUILD_SHARED_LIBS=OFF \
    -Dgtest_disable_pthreads=OFF
}

build_mpg123() {
  # Only the decoding library is used; the player comes along with a silent output.
  autotools_cross "$(fetch_source mpg123)" --enable-modules=no --with-audio=dummy \
    --with-default-audio=dummy
}

build_lame() {
  # libsndfile's MP3 support links LAME too (it can also write MP3).
  local s
  s="$(fetch_source lame)"
  # The export list names a function that only exists in debug builds; a DLL link refuses it.
  sed -i '/^lame_init_old$/d' "$s/include/libmp3lame.sym"
  autotools_cross "$s" --disable-frontend --disable-gtktest
}

build_libsndfile() {
  cmake_cross "$(fetch_source libsndfile)" "$src/build/libsndfile" -DBUILD_SHARED_LIBS=ON \
    -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF \
    -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=ON -DINSTALL_MANPAGES=OFF -DBUILD_REGTEST=OFF
  grep -q 'HAVE_MPEG 1' "$src/build/libsndfile/src/config.h" \
    || { echo "libsndfile was built without MP3" >&2; return 1; }
}

build_sdl2() {
  cmake_cross "$(fetch_source libsdl2)" "$src/build/sdl2" -DSDL_SHARED=ON -DSDL_STATIC=OFF \
    -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=OFF
}

build_qt() {
  local s windows
  s="$(fetch_source qt6-base)"
  windows="$s/src/plugins/platforms/windows"
  # Debian's source leaves out the Wintab tablet header (not free): the Windows platform plugin
  # goes without Wintab tablets. Pens still work through Windows' own pointer messages.
  sed -i 's/CONDITION QT_FEATURE_tabletevent$/CONDITION FALSE # Debian ships no Wintab header/' \
    "$windows/CMakeLists.txt" "$windows/../direct2d/CMakeLists.txt"
  sed -i 's/QT_CONFIG(tabletevent)/0/' "$windows/qwindowscontext.cpp"
  sed -i '/#  include "qwindowstabletsupport.h"/d' "$windows/qwindowspointerhandler.cpp"
  # The modules the program uses; the host's Qt 6 tools (moc, uic, rcc) do the code generation.
  cmake_cross "$s" "$src/build/qtbase" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_icu=OFF -DFEATURE_network=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_testlib=ON -DFEATURE_printsupport=ON -DFEATURE_widgets=ON -DFEATURE_vulkan=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF
}

build_component() {
  local name="$1"
  if is_current "$name"; then
    log "$name: cached"
    return 0
  fi
  log "$name: building (log in $src/build)"
  mkdir -p "$src/build" "$deps/stamps"
  local start=$SECONDS
  "build_$name"
  recipe_hash "$name" >"$deps/stamps/$name"
  log "$name: built in $((SECONDS - start)) s"
}

build_dependencies() {
  local c
  for c in "${components[@]}"; do build_component "$c"; done
}

# --- Dravel.exe and the zip ---------------------------------------------------------------------
build_program() {
  log "Dravel.exe: building in $build"
  # The cross-built Qt runs the host's moc, uic and rcc (QT_HOST_PATH in the preset).
  cmake --preset win64 -DDRAVEL_WIN_DEPS="$deps" >"$build.configure.log" 2>&1 \
    || { tail -40 "$build.configure.log" >&2; exit 1; }
  run_nice cmake --build --preset win64-program -j"$jobs" >"$build.build.log" 2>&1 \
    || { tail -40 "$build.build.log" >&2; exit 1; }
}

# The two wiring diagrams that "Info" → "Schaltplan" opens from Dravel's folder.
check_diagrams() {
  local d
  for d in "schaltplan (low).pdf" "schaltplan.pdf"; do
    [ -f "$root/hardware/$d" ] && continue
    echo "hardware/$d is missing: the zip carries both wiring diagrams beside Dravel.exe" >&2
    exit 1
  done
}

pack_zip() {
  (cd "$root" && cpack --preset win64 >"$build.package.log" 2>&1) \
    || { tail -40 "$build.package.log" >&2; exit 1; }
  log "packed $(sed -n 's/^-- Packed //p' "$build.package.log")"
}

all_cached() {
  local c
  for c in "${components[@]}"; do is_current "$c" || return 1; done
}

main() {
  if [ "${1:-}" = cached ]; then
    all_cached
    return
  fi
  install_tools
  case "${1:-all}" in
    fetch) local p; for p in googletest mpg123 lame libsndfile libsdl2 qt6-base; do fetch_source "$p"; done ;;
    gtest) build_component googletest ;;
    deps) build_dependencies ;;
    all) check_diagrams && build_dependencies && build_program && pack_zip ;;
    program) check_diagrams && build_program && pack_zip ;;
    *) echo "usage: $0 [all|deps|gtest|program|fetch]" >&2; exit 2 ;;
  esac
}
[ "${BASH_SOURCE[0]}" != "$0" ] || main "$@"
