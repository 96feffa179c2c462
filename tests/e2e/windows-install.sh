#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The installer as a new user meets it, under Wine: a silent install (Wine installs whatever the
# exit status, so the files are checked), the manifest asking for no administrator, the program
# started from its shortcut's target with nothing but its own folder (no build-time PATH), and
# the uninstaller leaving the user's texts and own face.txt. The portable zip holds the same.
# Usage: windows-install.sh BUILD_DIR   (DISPLAY and WINEPREFIX set, as tools/windows/build.sh does)
set -euo pipefail
build=$(readlink -f "${1:?usage: windows-install.sh BUILD_DIR}")
: "${DISPLAY:?an X display}"
: "${WINEPREFIX:?a Wine prefix of the tests own}"
export WINEDEBUG=-all
installer=$(ls "$build"/package/Quillora-*-windows-x64.exe)
zipfile=$(ls "$build"/package/Quillora-*-windows-x64-portable.zip)
app_pid=
cleanup() { [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null; wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
fail() { echo "windows install: $*" >&2; exit 1; }
unix_path() { winepath -u "$(wine cmd /c echo "$1" 2>/dev/null | tr -d '\r')" 2>/dev/null; }

grep -aq 'level="asInvoker"' "$installer" || fail "the installer's manifest does not ask for asInvoker"
echo "ok - the installer runs as the user who starts it (asInvoker)"

local_data=$(unix_path '%LOCALAPPDATA%')
programs=$(unix_path '%APPDATA%')/Microsoft/Windows/Start\ Menu/Programs
target=$local_data/Programs/Quillora
rm -rf "$target"
wine "$installer" /S >/dev/null 2>&1 || true
for _ in $(seq 100); do [ -f "$target/uninstall.exe" ] && break; sleep 0.2; done
for f in tesserin.exe face.txt qt.conf Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll \
         libgcc_s_seh-1.dll libwinpthread-1.dll plugins/platforms/qwindows.dll \
         translations/qtbase_ja.qm LICENSE.txt licenses/Qt-LGPL-3.0-only.txt \
         licenses/Qt-SOURCE.txt uninstall.exe; do
  [ -f "$target/$f" ] || fail "not installed: $f"
done
[ -f "$programs/Quillora.lnk" ] || fail "no Start-menu shortcut Quillora in $programs"
echo "ok - the files, the uninstaller and the Start-menu shortcut are in place"

installed=$(cd "$target" && find . -type f ! -name uninstall.exe | sort)
zipped=$(unzip -Z1 "$zipfile" | grep -v '/$' | sed 's#^Quillora/#./#' | sort)
[ "$installed" = "$zipped" ] || fail "the zip and the installer differ: $(diff <(echo "$installed") <(echo "$zipped"))"
echo "ok - the portable zip holds the same files"

# Started with WINEPATH unset, as from the shortcut: every DLL must come from its own folder.
env -u WINEPATH wine "$target/tesserin.exe" >/dev/null 2>&1 &
app_pid=$!
found=
for _ in $(seq 300); do
  found=$(xdotool search --onlyvisible --name '^Quillora$' 2>/dev/null | head -n1) && [ -n "$found" ] && break
  kill -0 "$app_pid" 2>/dev/null || fail "the installed program ended at once"
  sleep 0.2
done
[ -n "$found" ] || fail "the installed program showed no window"
echo "ok - the installed program starts and shows its window"
wineserver -k 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=

# The user's own things, then the uninstaller.
mkdir -p "$local_data/Tesserin"
printf 'mine\t(^_^)\r\n' >"$local_data/Tesserin/face.txt"
wine reg add 'HKCU\Software\Tesserin\Tesserin\Data' /v str1 /d kept /f >/dev/null 2>&1
wine "$target/uninstall.exe" /S >/dev/null 2>&1 || true
for _ in $(seq 100); do [ ! -e "$target/tesserin.exe" ] && break; sleep 0.2; done
sleep 1
[ ! -e "$target" ] || fail "the uninstaller left: $(cd "$target" && find . | head)"
[ ! -e "$programs/Quillora.lnk" ] || fail "the uninstaller left the shortcut"
[ -f "$local_data/Tesserin/face.txt" ] || fail "the uninstaller removed the user's own face.txt"
wine reg query 'HKCU\Software\Tesserin\Tesserin\Data' /v str1 2>/dev/null | grep -q kept ||
  fail "the uninstaller removed the user's texts"
echo "ok - the uninstaller removes the program and leaves the texts and the user's face.txt"
echo "windows install: all steps passed"
