#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshot of the main window under Xvfb, with a sample store.
# Usage: tools/screenshot.sh BUILD_DIR OUTPUT.png [SCALE]   (SCALE 2 checks the doubled layout)
set -euo pipefail
build=$(readlink -f "$1"); out=$2; scale=${3:-1}
work=$(mktemp -d)
xvfb_pid=; app_pid=
trap '[ -n "$app_pid" ] && kill -TERM "$app_pid" 2>/dev/null; sleep 0.5; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/config/Tesserin" "$work/run" && chmod 700 "$work/run"
cat >"$work/config/Tesserin/Tesserin.conf" <<'INI'
[Data]
Title1=Re: おすすめの散歩道
info0=名無しの歩き人
info1=sage
info2=https://example.org/
str1=>>12 さん\r\n川沿いの道、桜の季節はとくにいいですよ。\r\n朝の七時ごろなら人も少なめです (^o^)\r\n
tanbun0=ありがとうございます！
tanbun1=こんばんは。
tanbun2=

[Setting]
Lock=unlock
INI
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb \
  QT_SCALE_FACTOR="$scale" "$build/tesserin" >/dev/null 2>&1 &
app_pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --class tesserin | head -n1)
sleep 0.5 # the first frame follows the mapping
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove 0 0
import -window root "$work/root.png"
convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "$out"
echo "wrote $out (${WIDTH}x${HEIGHT})"
