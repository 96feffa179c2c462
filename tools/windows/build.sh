#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build from this Debian machine, as root: installs MinGW-w64, Wine and NSIS from
# Debian, builds a small Qt for Windows once (tools/windows/qt.sh, cached outside the
# repository), cross-builds the program and its tests into build-win/, runs every test program
# and a person's session under Wine on its own X server, then makes the installer and the zip
# (tools/windows/package.sh) and tries the installer.
# Usage: tools/windows/build.sh   (tools/setup.sh windows calls it)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build-win

# Host Qt (6.4, the same version as the source) gives moc, rcc and uic to both builds.
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools dpkg-dev
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis
          xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic zip unzip)
source tools/packages.sh
install_missing "${packages[@]}"

seconds() { echo $(( $(date +%s) - $1 )); }
start=$(date +%s)
qt=$(bash tools/windows/qt.sh | tail -1)
echo "windows: Qt ready in $(seconds "$start") s: $qt"

# The tests' own Wine: its registry and its user folders are nobody's settings. No Mono or
# Gecko download is offered.
export WINEPREFIX=$build/wine
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export TESSERIN_WIN_QT=$qt
mkdir -p "$build"

# Wine wants an X display even for Qt's offscreen platform: a server of our own.
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
for n in $(seq 90 130); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  break
done
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "windows: Xvfb did not start" >&2; exit 1; }
wineboot --init >/dev/null 2>&1 || true

step=$(date +%s)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Qt's toolchain file finds this Qt and the host's tools, then hands over to the repository's.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows/wine-run.sh" \
      -DTESSERIN_BUILD_TESTS=ON -DTESSERIN_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build"
echo "windows: cross-built in $(seconds "$step") s"

status=0
step=$(date +%s)
(cd "$build" && ctest --output-on-failure) || status=$?
echo "windows: tests under Wine in $(seconds "$step") s"

step=$(date +%s)
bash tools/windows/package.sh "$build" "$qt" || status=$?
bash tests/e2e/windows-install.sh "$build" || status=$?
echo "windows: installer and zip made and tried in $(seconds "$step") s"
echo "windows: all done in $(seconds "$start") s"
exit "$status"
