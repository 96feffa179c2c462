#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root), then builds.
# Usage: tools/setup.sh run | test
#   run   build and start the program
#   test  build and run the whole test suite, then build again with AddressSanitizer and
#         UndefinedBehaviorSanitizer and run the whole suite once more, then run each fuzzer
#         for a short while (clang's libFuzzer)
set -euo pipefail
cd "$(dirname "$0")/.."

# xvfb, xdotool, xclip and x11-utils drive the end-to-end test; imagemagick saves a screenshot
# when it fails. clang and its runtime libraries build the fuzzers.
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libbenchmark-dev
          fonts-ipafont-gothic xdg-utils xvfb xdotool xclip x11-utils imagemagick
          clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
