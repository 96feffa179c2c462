#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a cross-built Windows program under Wine as CMake's emulator: icon_export at build time,
# the test programs under ctest. Needs an X display (Wine wants one even for the offscreen
# platform) and the environment tools/windows/build.sh sets: WINEPREFIX, TESSERIN_WIN_QT (the Qt
# the program was built against).
# Usage: wine-run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
program=${1:?usage: wine-run.sh PROGRAM.exe [ARGUMENTS...]}
shift
qt=${TESSERIN_WIN_QT:?TESSERIN_WIN_QT names the Qt for Windows}
triple=x86_64-w64-mingw32
gcc_dir=$(dirname "$($triple-g++-posix -print-libgcc-file-name)")

# Wine drops QT_* from a Windows program's environment: WINEQT_* arrives as QT_*. The offscreen
# platform on Windows finds fonts only in QT_QPA_FONTDIR.
export WINEQT_QPA_PLATFORM=${WINEQT_QPA_PLATFORM:-offscreen}
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-Z:/usr/share/fonts/opentype/ipafont-gothic}
export WINEQT_PLUGIN_PATH="Z:$qt/plugins"
export WINEDEBUG=${WINEDEBUG:--all}
# Qt's DLLs, the C++ runtime and winpthread, found by PATH as Windows finds DLLs.
export WINEPATH="Z:$qt/bin;Z:$gcc_dir;Z:/usr/$triple/lib"

# Qt Test's standard output does not arrive through Wine: a test program writes its log to a
# file, shown here, and its exit status tells the result.
case "$(basename "$program")" in
  test_*.exe)
    log=$(mktemp "${TMPDIR:-/tmp}/tesserin-wine-test.XXXXXX")
    status=0
    wine "$program" "$@" -o "$(winepath -w "$log" 2>/dev/null || echo "Z:$log"),txt" </dev/null || status=$?
    cat "$log"
    rm -f "$log"
    exit "$status" ;;
  *)
    exec wine "$program" "$@" ;;
esac
