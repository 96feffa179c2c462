#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and testing need on Debian 12 (run as root), then builds.
# Usage: tools/setup.sh run | test | package | perf | windows
#   run      build and start the program; through sudo, as the user who called sudo
#   test     check the C++ sources' formatting (clang-format), build and run the whole test
#            suite, then build again with AddressSanitizer and UndefinedBehaviorSanitizer and
#            run the whole suite once more, then run each fuzzer for a short while (libFuzzer)
#   package  build a Release tree in build-release/ and the Debian package from it, and check
#            the package with lintian when lintian is installed
#   perf     build a Release tree in build-perf/, measure it and rewrite docs/PERFORMANCE.md
#   windows  cross-build for Windows in build-win/, run the tests under Wine, make the installer
#            and the zip (tools/windows/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
# The Windows build needs none of the native packages below.
if [ "${1:-}" = windows ]; then exec bash tools/windows/build.sh; fi

# xvfb, xdotool, xclip and x11-utils drive the end-to-end test; imagemagick saves a screenshot
# when it fails. qt6-translations-l10n puts Qt's own menus in Japanese.
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libbenchmark-dev qt6-translations-l10n
          fonts-ipafont-gothic xdg-utils xvfb xdotool xclip x11-utils imagemagick)
# The performance script watches the X server through python3-xlib, under xvfb-run (needs xauth).
if [ "${1:-}" = perf ]; then packages+=(python3 python3-xlib xauth); fi
# clang and its runtime libraries build the fuzzers that the test command runs briefly;
# clang-format checks the formatting that .clang-format states.
# fcitx5 with mozc is the real input method whose pending conversions the closes must keep
# (tests/e2e/ime.sh; python3-xlib presses the close box there).
if [ "${1:-}" = test ]; then
  packages+=(clang libclang-rt-14-dev clang-format fcitx5 fcitx5-mozc fcitx5-frontend-qt6
             dbus-daemon python3-xlib)
fi
source tools/packages.sh
install_missing "${packages[@]}"

# run_as_person: the program keeps its texts in the home of whoever runs it, so through sudo it
# runs as the user who called sudo, with that user's home and session, never with root's.
run_as_person() {
  local user=${SUDO_USER:-}
  if [ "$(id -u)" -ne 0 ]; then
    exec ./build/tesserin
  fi
  if [ -z "$user" ] || [ "$user" = root ]; then
    echo "setup: running the program as root, so its texts go to root's folder" \
         "${XDG_CONFIG_HOME:-$HOME/.config}/Tesserin. Start this command with sudo from your" \
         "own account to run the program as yourself." >&2
    exec ./build/tesserin
  fi
  local name uid gid home
  IFS=: read -r name _ uid gid _ home _ < <(getent passwd "$user") ||
    { echo "setup: no account $user" >&2; exit 1; }
  # Paths of root's session mean nothing to the user (or are not theirs to read): keep only
  # those inside the user's own home.
  local keep=()
  for var in XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XAUTHORITY; do
    local value=${!var:-}
    [[ -n "$value" && "$value/" == "$home/"* ]] && keep+=("$var=$value")
  done
  local runtime=/run/user/$uid session=()
  if [ -d "$runtime" ] && [ "$(stat -c %u "$runtime")" = "$uid" ]; then
    session+=("XDG_RUNTIME_DIR=$runtime")
    [ -S "$runtime/bus" ] && session+=("DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus")
    [ -n "${WAYLAND_DISPLAY:-}" ] && session+=("WAYLAND_DISPLAY=$WAYLAND_DISPLAY")
  fi
  echo "setup: running the program as $name (home $home)" >&2
  exec setpriv --reuid="$uid" --regid="$gid" --init-groups \
    env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME -u XAUTHORITY \
        -u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY -u MAIL \
        HOME="$home" USER="$name" LOGNAME="$name" "${keep[@]}" "${session[@]}" ./build/tesserin
}

case "${1:-}" in
  run|test)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSERIN_BUILD_TESTS=ON \
          -DTESSERIN_BUILD_BENCH=ON
    cmake --build build ;;
esac

if [ "${1:-}" = perf ]; then
  cmake -S . -B build-perf -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSERIN_BUILD_TESTS=OFF \
        -DTESSERIN_BUILD_BENCH=ON
  cmake --build build-perf
  exec /usr/bin/python3 tools/perf_report.py all --build build-perf
fi

case "${1:-}" in
  run)
    run_as_person ;;
  package)
    # Tests and benchmarks are left out: the package holds neither.
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSERIN_BUILD_TESTS=OFF \
          -DTESSERIN_BUILD_BENCH=OFF
    cmake --build build-release
    rm -f build-release/tesserin_*.deb
    (cd build-release && cpack -G DEB)
    deb=$(ls build-release/tesserin_*.deb)
    if command -v lintian >/dev/null; then
      # Informational tags are listed too; an error or a warning fails the command.
      lintian --display-info --fail-on error,warning "$deb"
      echo "setup: lintian found no error and no warning in $deb"
    else
      echo "setup: lintian is not installed, so $deb was not checked (apt-get install lintian)"
    fi
    echo "setup: the package is $deb" ;;
  test)
    status=0
    echo "== formatting (clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -1)) =="
    # Every C++ file of the project, build folders left out; the rest of the suite runs anyway.
    find src tests bench fuzz tools \( -name '*.cpp' -o -name '*.h' \) -print0 |
      xargs -0 clang-format --dry-run --Werror ||
      { status=1; echo "setup: run clang-format -i on the files above" >&2; }
    (cd build && ctest --output-on-failure) || status=$?

    echo "== the same suite under AddressSanitizer and UndefinedBehaviorSanitizer =="
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSERIN_SANITIZE=ON \
          -DTESSERIN_BUILD_BENCH=OFF
    cmake --build build-asan
    # Leaks inside system libraries only are suppressed (tools/lsan.supp); any error fails.
    (cd build-asan &&
      ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
      LSAN_OPTIONS=suppressions=$PWD/../tools/lsan.supp:print_suppressions=0 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      ctest --output-on-failure) || status=$?

    # libFuzzer comes with clang's runtime libraries; without them there is nothing to run.
    if command -v clang++ >/dev/null &&
       [ -f "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ]; then
      echo "== the fuzzers, about 20 s each =="
      CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
            -DTESSERIN_FUZZ=ON -DTESSERIN_BUILD_TESTS=OFF -DTESSERIN_BUILD_BENCH=OFF
      cmake --build build-fuzz --target fuzz
      (cd build-fuzz && ctest --output-on-failure) || status=$?
    else
      echo "== no libFuzzer runtime (clang, libclang-rt-14-dev): fuzzers not run =="
    fi
    exit "$status" ;;
  *)
    echo "usage: $0 run|test|package|perf|windows" >&2; exit 2 ;;
esac
