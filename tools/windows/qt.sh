#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds a small Qt for MinGW-w64 from Debian's own qt6-base source, once, into a cache folder
# outside the repository, and prints that folder's path on the last line of its output.
# The folder's name carries the Qt version, the compiler's version and a hash of the options,
# so a change of any of them builds anew beside the old one.
# Usage: tools/windows/qt.sh   (as root: it may add a deb-src entry and fetch the source)
set -euo pipefail
cache=${TESSERIN_WIN_CACHE:-/var/cache/tesserin-win}
jobs=${TESSERIN_WIN_JOBS:-$(nproc)}
triple=x86_64-w64-mingw32

# Without ICU, no OpenGL and no D-Bus; the bundled zlib, pcre, libpng and freetype. Debian drops
# the wintab sources (tablet events), and in 6.4 the DirectWrite font engine needs direct2d, so
# both are off or the windows platform plugin does not link. Only Core, Gui, Widgets and Test
# are built; the program needs no more.
options=(-release -shared -xplatform win32-g++ -device-option CROSS_COMPILE=$triple-
         -qt-host-path /usr
         -no-icu -no-opengl -no-dbus -no-feature-tabletevent -no-feature-direct2d
         -no-feature-directwrite3
         -qt-zlib -qt-pcre -qt-libpng -qt-freetype -qt-harfbuzz -no-libjpeg -no-gif
         -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml
         -no-feature-printsupport -no-feature-opengl -no-feature-vulkan
         -nomake examples -nomake tests)
toolchain=$(cd "$(dirname "$0")/../.." && pwd)/cmake/mingw-w64.cmake
cmake_options=(-DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
               -DCMAKE_TOOLCHAIN_FILE="$toolchain")

# The deb-src entries are made from the system's own apt sources: the same URIs, only the type
# differs, so the source comes from wherever this machine already gets its packages.
add_deb_src() {
  local out=/etc/apt/sources.list.d/tesserin-deb-src.sources
  [ -f "$out" ] && return 0
  local tmp f
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb( |\n|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      "$f" >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb[[:space:]]' /etc/apt/sources.list | sed 's/^deb[[:space:]]/deb-src /' >>"$tmp.list" || true
    if [ -s "$tmp.list" ]; then install -m 644 "$tmp.list" /etc/apt/sources.list.d/tesserin-deb-src.list; fi
    rm -f "$tmp.list"
  fi
  install -m 644 "$tmp" "$out"
  rm -f "$tmp"
  apt-get update -qq
}

qtver=$(dpkg-query -W -f='${Version}' qt6-base-dev)      # e.g. 6.4.2+dfsg-10
upstream=${qtver%%+*}; upstream=${upstream%%-*}
gccver=$($triple-g++-posix -dumpfullversion)
hash=$( (printf '%s\n' "$qtver" "${options[@]}"; cat "$toolchain") | sha256sum | cut -c1-12)
prefix=$cache/qt-$upstream-gcc$gccver-$hash
if [ -f "$prefix/.complete" ]; then
  echo "qt: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi

# The source must match the host Qt exactly (its moc, rcc and uic build the target Qt).
src_root=$cache/src
mkdir -p "$src_root"
srcdir=$src_root/qt6-base-${qtver%-*}
if [ ! -d "$srcdir" ]; then
  add_deb_src
  (cd "$src_root" && apt-get source -qq --download-only "qt6-base=$qtver" &&
    dpkg-source -x "qt6-base_${qtver}.dsc" >/dev/null)
fi

# A build cut short (a reboot, Ctrl+C) goes on where it stopped.
build=$cache/build-qt-$hash
start=$(date +%s)
if [ ! -f "$build/build.ninja" ]; then
  rm -rf "$build" "$prefix"
  mkdir -p "$build"
  (cd "$build" && "$srcdir/configure" -prefix "$prefix" "${options[@]}" -- "${cmake_options[@]}") \
    >"$build/configure.log" 2>&1 || { tail -40 "$build/configure.log" >&2; exit 1; }
fi
cmake --build "$build" --parallel "$jobs" >>"$build/build.log" 2>&1 ||
  { grep -B2 -A10 -m3 'error' "$build/build.log" | tail -60 >&2; exit 1; }
cmake --install "$build" >"$build/install.log" 2>&1 || { tail -20 "$build/install.log" >&2; exit 1; }
{ echo "qt6-base $qtver (Debian source package), configured with:"; printf '  %s\n' "${options[@]}"
  echo "and the CMake toolchain file:"; cat "$toolchain"; } >"$prefix/configure-options.txt"
echo "qt: built in $(( $(date +%s) - start )) s" >&2
touch "$prefix/.complete"
rm -rf "$build"
echo "$prefix"
