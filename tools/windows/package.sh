#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows installer (NSIS) and the portable zip from a cross-built tree: the program, the
# Qt DLLs and plugins it loads, the MinGW runtime DLLs, face.txt, Qt's Japanese messages, the
# licences and where Qt's source is.
# Usage: package.sh BUILD_DIR QT_PREFIX   (tools/windows/build.sh calls it)
set -euo pipefail
build=$(readlink -f "${1:?usage: package.sh BUILD_DIR QT_PREFIX}")
qt=$(readlink -f "${2:?usage: package.sh BUILD_DIR QT_PREFIX}")
root=$(cd "$(dirname "$0")/../.." && pwd)
triple=x86_64-w64-mingw32
gcc_dir=$(dirname "$($triple-g++-posix -print-libgcc-file-name)")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
out=$build/package
stage=$out/Quillora
rm -rf "$out"
mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations" "$stage/licenses"

cp "$build/tesserin.exe" "$stage/"
$triple-strip "$stage/tesserin.exe"
cp "$root/data/face.txt" "$stage/face.txt"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/plugins/platforms/"
cp "$qt/plugins/styles/"*.dll "$stage/plugins/styles/"
# Qt's own buttons and menus in Japanese; the catalogue is the same file on every system.
cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
# Qt looks for its plugins and translations beside the program.
printf '[Paths]\nPrefix = .\n' >"$stage/qt.conf"

# The DLLs the program and its plugins import, followed through Qt's and the runtime's own,
# found where Windows would (Qt's bin, the compiler's runtime); system DLLs are Windows'.
search=("$qt/bin" "$gcc_dir" "/usr/$triple/lib")
imports() { $triple-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
queue=("$stage/tesserin.exe" "$stage"/plugins/*/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $(imports "$file"); do
    [ -e "$stage/$dll" ] && continue
    for dir in "${search[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$stage/"
        queue+=("$stage/$dll")
        break
      fi
    done
  done
done
for dll in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libwinpthread-1.dll; do
  [ -f "$stage/$dll" ] || { echo "package: $dll is missing" >&2; exit 1; }
done

# Licences: the program's, Qt's (LGPL 3; Debian's copyright file lists every part), the
# MinGW runtime's, and where the Qt used here comes from.
cp "$root/LICENSE" "$stage/LICENSE.txt"
cache=${TESSERIN_WIN_CACHE:-/var/cache/tesserin-win}
srcdir=$(ls -d "$cache"/src/qt6-base-*/ 2>/dev/null | head -n1 || true)
srcdir=${TESSERIN_QT_SOURCE:-$srcdir}
for f in LGPL-3.0-only.txt GPL-2.0-only.txt GPL-3.0-only.txt; do
  cp "$srcdir/LICENSES/$f" "$stage/licenses/Qt-$f"
done
cp "$srcdir/debian/copyright" "$stage/licenses/Qt-debian-copyright.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/MinGW-gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/MinGW-w64-winpthreads.txt" 2>/dev/null ||
  cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/MinGW-w64-winpthreads.txt"
{
  echo "Quillora $version for Windows uses Qt $(sed -n '1s/^qt6-base \([^ ]*\).*/\1/p' "$qt/configure-options.txt"), under the GNU LGPL version 3"
  echo "(licenses/Qt-LGPL-3.0-only.txt). Its DLLs were built from Debian's source package qt6-base,"
  echo "to be had with 'apt-get source qt6-base' from Debian 12 (bookworm) or from"
  echo "https://snapshot.debian.org/package/qt6-base/ under the same version, and Qt's own sources"
  echo "are at https://download.qt.io/archive/qt/. You may replace the Qt DLLs with your own build."
  echo
  cat "$qt/configure-options.txt"
} | sed 's/$/\r/' >"$stage/licenses/Qt-SOURCE.txt"
for f in "$stage/LICENSE.txt" "$stage"/licenses/*.txt; do
  sed -i 's/\r\?$/\r/' "$f" # Notepad's line ends
done

# The uninstaller removes exactly what was installed: the user's texts (the registry) and
# their own face.txt (%LOCALAPPDATA%\Tesserin) are elsewhere and stay.
(cd "$stage" &&
  find . -type f | sort | sed 's#^\./##; s#/#\\#g; s#.*#  Delete "$INSTDIR\\&"#' &&
  find . -mindepth 1 -type d | sort -r | sed 's#^\./##; s#/#\\#g; s#.*#  RMDir "$INSTDIR\\&"#') \
  >"$out/files.nsh"

installer=$out/Quillora-$version-windows-x64.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$out/files.nsh" \
         -DOUTFILE="$installer" "$root/tools/windows/installer.nsi"
zipfile=$out/Quillora-$version-windows-x64-portable.zip
(cd "$out" && zip -qr9 "$zipfile" Quillora)
echo "package: $installer ($(stat -c %s "$installer") bytes)"
echo "package: $zipfile ($(stat -c %s "$zipfile") bytes)"
