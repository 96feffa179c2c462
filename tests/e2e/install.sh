#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the Debian package into a temporary
# folder, and checks what a user and dpkg get: the layout, the links, the icons, the desktop
# entry, the conffile and the declared dependencies.
# Usage: install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(readlink -f "$1")
source_dir=$(readlink -f "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/tesserin-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "install: $*" >&2; exit 1; }
has_face=false
[ -f "$source_dir/data/face.txt" ] && has_face=true

# ---- cmake --install ------------------------------------------------------------------------
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -x "$prefix/lib/tesserin/tesserin" ] && [ ! -L "$prefix/lib/tesserin/tesserin" ] ||
  fail "the real program is not in lib/tesserin"
[ "$(readlink "$prefix/bin/tesserin")" = "../lib/tesserin/tesserin" ] ||
  fail "bin/tesserin is not a relative link to ../lib/tesserin/tesserin"
[ "$(readlink -f "$prefix/bin/tesserin")" = "$(readlink -f "$prefix/lib/tesserin/tesserin")" ] ||
  fail "bin/tesserin does not resolve to the real program"
if $has_face; then
  cmp -s "$prefix/lib/tesserin/face.txt" "$source_dir/data/face.txt" ||
    fail "face.txt is not installed beside the real program"
fi
desktop="$prefix/share/applications/tesserin.desktop"
for line in 'Name=Quillora' 'Exec=tesserin' 'Icon=tesserin' 'Categories=Utility;' 'Type=Application'; do
  grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
grep -q '^Comment=.' "$desktop" && grep -q '^Comment\[ja\]=.' "$desktop" ||
  fail "the desktop entry lacks an English or a Japanese comment"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
fi
for size in 16 32; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/tesserin.png"
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$png is no PNG"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tesserin.svg" || fail "no scalable icon"
echo "ok - cmake --install: program, link, face.txt, desktop entry, icons"

# ---- the Debian package -----------------------------------------------------------------------
command -v dpkg-deb >/dev/null || { echo "SKIP - dpkg-deb is missing"; exit 0; }
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$work"/pkg/tesserin_*.deb)
dpkg-deb -c "$deb" >"$work/contents"
grep -q ' ./usr/bin/tesserin -> ../lib/tesserin/tesserin$' "$work/contents" ||
  fail "the package lacks the bin/tesserin link"
grep -q ' ./usr/lib/tesserin/tesserin$' "$work/contents" || fail "the package lacks the program"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 fonts-ipafont-gothic xdg-utils; do
  [[ ", $depends," == *", $dep "* || ", $depends," == *", $dep,"* ]] || fail "Depends lacks $dep: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for rec in fcitx5-frontend-qt6 qt6-translations-l10n; do
  [[ ", $recommends," == *", $rec,"* ]] || fail "Recommends lacks $rec: $recommends"
done
if $has_face; then
  grep -q ' ./usr/lib/tesserin/face.txt -> /etc/tesserin/face.txt$' "$work/contents" ||
    fail "lib/tesserin/face.txt is not a link to /etc/tesserin/face.txt"
  grep -q ' ./etc/tesserin/face.txt$' "$work/contents" || fail "the package lacks /etc/tesserin/face.txt"
  dpkg-deb -e "$deb" "$work/control"
  [ "$(cat "$work/control/conffiles")" = "/etc/tesserin/face.txt" ] ||
    fail "/etc/tesserin/face.txt is not the package's conffile"
  dpkg-deb -x "$deb" "$work/root"
  cmp -s "$work/root/etc/tesserin/face.txt" "$source_dir/data/face.txt" ||
    fail "the packaged face.txt differs from data/face.txt"
fi
echo "ok - cpack -G DEB: layout, conffile, dependencies"
