#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root), then builds.
# Usage: tools/setup.sh run | test
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libbenchmark-dev
          fonts-ipafont-gothic xdg-utils xvfb xdotool xclip x11-utils imagemagick)
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
    cd build && ctest --output-on-failure ;;
  *)
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
