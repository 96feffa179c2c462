#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root), then builds.
# Usage: tools/setup.sh run | test | perf
#   run   build and start the program
#   test  build and run the whole test suite, then build again with AddressSanitizer and
#         UndefinedBehaviorSanitizer and run the whole suite once more
#   perf  build a Release tree in build-release/, measure it and rewrite docs/PERFORMANCE.md
set -euo pipefail
cd "$(dirname "$0")/.."

# xvfb, xdotool, xclip and x11-utils drive the end-to-end test; imagemagick saves a screenshot
# when it fails. qt6-translations-l10n puts Qt's own menus in Japanese.
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libbenchmark-dev qt6-translations-l10n
          fonts-ipafont-gothic xdg-utils xvfb xdotool xclip x11-utils imagemagick)
# The performance script watches the X server through python3-xlib, under xvfb-run (needs xauth).
if [ "${1:-}" = perf ]; then packages+=(python3 python3-xlib xauth); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "${1:-}" = perf ]; then
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSERIN_BUILD_TESTS=OFF
  cmake --build build-release
  exec /usr/bin/python3 tools/perf_report.py all --build build-release
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

case "${1:-}" in
  run)
    exec ./build/tesserin ;;
  test)
    status=0
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
    exit "$status" ;;
  *)
    echo "usage: $0 run|test|perf" >&2; exit 2 ;;
esac
