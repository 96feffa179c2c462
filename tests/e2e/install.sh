#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a temporary prefix and builds the Debian package into a temporary
# folder, and checks what a user and dpkg get: the layout, the links, the icons, the desktop
# entry, the manual pages, the licence, the changelog, the AppStream metainfo, the conffile, the
# declared dependencies and a hardened, stripped program; lintian and appstreamcli judge the
# result when they are installed.
# Usage: install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(readlink -f "$1")
source_dir=$(readlink -f "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/tesserin-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "install: $*" >&2; exit 1; }
has_face=false
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(sed -n 's/^## \([^ ]*\) - .*/\1/p' "$source_dir/CHANGELOG.md" | head -1)
appstream_id=org.example.brookfen.tesserin
# gzip -9n, as Debian wants: no file name (flag 0x08) and no time stamp inside, and the
# "slowest, best" mark in the extra flags.
is_gzip_9n() {
  local h
  h=$(od -An -tx1 -N10 "$1" | tr -d ' \n')
  [ "${h:0:6}" = 1f8b08 ] && [ $((0x${h:6:2} & 0x08)) -eq 0 ] && [ "${h:8:8}" = 00000000 ] &&
    [ "${h:16:2}" = 02 ]
}
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
for size in 16 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/tesserin.png"
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$png is no PNG"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done
echo "ok - cmake --install: program, link, face.txt, desktop entry, icons"

for page in share/man/man1/tesserin.1.gz share/man/ja/man1/tesserin.1.gz; do
  is_gzip_9n "$prefix/$page" || fail "$page is not compressed with gzip -9n"
  zcat "$prefix/$page" >"$work/page"
  grep -q "^\.TH TESSERIN 1 \"[0-9-]*\" \"Tesserin $version\"" "$work/page" ||
    fail "$page does not name version $version"
  grep -q '@' "$work/page" && fail "$page keeps an unreplaced @VARIABLE@"
  for word in SIGTERM XDG_CONFIG_HOME face.txt Tesserin.conf; do
    grep -q "$word" "$work/page" || fail "$page does not mention $word"
  done
  if command -v man >/dev/null; then
    # What lintian runs; a line that cannot be broken or a bad request is a warning here.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$prefix/$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  fi
done
doc="$prefix/share/doc/tesserin"
is_gzip_9n "$doc/changelog.gz" || fail "changelog.gz is not compressed with gzip -9n"
[ "$(zcat "$doc/changelog.gz" | head -1)" = "tesserin ($version) unstable; urgency=medium" ] ||
  fail "changelog.gz does not begin with release $version"
if command -v dpkg-parsechangelog >/dev/null; then
  zcat "$doc/changelog.gz" >"$work/changelog"
  [ "$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>"$work/parse.log")" = "$version" ] &&
    [ ! -s "$work/parse.log" ] || fail "dpkg cannot read changelog.gz: $(cat "$work/parse.log")"
  # The day of the week is computed by the build; dpkg's date must be the same day.
  date=$(dpkg-parsechangelog -l "$work/changelog" -S Date)
  [ "$(LC_ALL=C date -u -R -d "$date")" = "$date" ] || fail "the changelog's date is wrong: $date"
fi
head -1 "$doc/copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
# The licence text in the copyright file is LICENSE's, word for word.
sed -n '/^Permission is hereby granted/,$p' "$source_dir/LICENSE" >"$work/license.expected"
sed -n '/^License: Expat$/,$p' "$doc/copyright" | sed -n '/^ Permission is hereby granted/,$p' |
  sed 's/^ \.$//; s/^ //' >"$work/license.got"
cmp -s "$work/license.expected" "$work/license.got" || fail "the copyright file's licence text is not LICENSE's"
metainfo="$prefix/share/metainfo/$appstream_id.metainfo.xml"
grep -qF "<id>$appstream_id</id>" "$metainfo" || fail "the metainfo's id is not $appstream_id"
grep -qF '<launchable type="desktop-id">tesserin.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not launch tesserin.desktop"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo lacks release $version"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --pedantic --no-net "$metainfo" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli rejects the metainfo"; }
fi
echo "ok - cmake --install: manual pages, changelog, copyright, metainfo"

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
for rec in qt6-translations-l10n qt6-wayland fcitx5-frontend-qt6; do
  [[ ", $recommends," == *", $rec,"* ]] || fail "Recommends lacks $rec: $recommends"
done
dpkg-deb -f "$deb" Description | awk 'length > 80 { exit 1 }' ||
  fail "the description has a line longer than 80 columns"
for file in usr/share/man/man1/tesserin.1.gz usr/share/man/ja/man1/tesserin.1.gz \
            usr/share/doc/tesserin/changelog.gz usr/share/doc/tesserin/copyright \
            "usr/share/metainfo/$appstream_id.metainfo.xml"; do
  grep -q " ./$file\$" "$work/contents" || fail "the package lacks /$file"
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
echo "ok - cpack -G DEB: layout, conffile, dependencies, documents"

# A build with the optimizer and without the sanitizers is what ships: hardened and stripped.
case "$(cache_value CMAKE_BUILD_TYPE)" in Release | RelWithDebInfo | MinSizeRel) ;; *)
  echo "SKIP - hardening and lintian: not an optimized build"; exit 0 ;;
esac
[ "$(cache_value TESSERIN_SANITIZE)" = ON ] && { echo "SKIP - hardening and lintian: sanitizer build"; exit 0; }
[ -d "$work/root" ] || dpkg-deb -x "$deb" "$work/root"
program="$work/root/usr/lib/tesserin/tesserin"
# Whole outputs first: grep -q would end a pipe early and pipefail would call that a failure.
readelf -dlSW "$program" >"$work/elf"
nm -D "$program" >"$work/symbols"
grep -q 'FLAGS.*BIND_NOW' "$work/elf" || fail "the program is not linked with -z now"
grep -q GNU_RELRO "$work/elf" || fail "the program is not linked with -z relro"
grep -q ' U __stack_chk_fail' "$work/symbols" || fail "the program has no stack protector"
grep -q ' U __[a-z]*_chk' "$work/symbols" || fail "the program has no fortified functions"
grep -qE ' \.(symtab|debug_info|comment) ' "$work/elf" && fail "the packaged program is not stripped"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --pedantic --no-net "$work/root" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "appstreamcli rejects the package's tree"; }
fi
echo "ok - the packaged program is hardened and stripped"
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian finds errors or warnings"; }
  echo "ok - lintian: no error, no warning"
else
  echo "SKIP - lintian is not installed"
fi
