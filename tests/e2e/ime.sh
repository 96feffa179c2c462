#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A conversion that the input method has not confirmed yet is part of the text when the program
# closes: with fcitx5 and mozc, "nihongo" converted to 日本語 and left unconfirmed, then the main
# window's close box, SIGTERM, or the mini window's close box; the store must hold 日本語.
# Skipped (status 77) where that input method cannot run. mozc refuses to run as root, so as
# root the test runs itself again as the user nobody.
# Usage: ime.sh PATH_TO_BUILT_TESSERIN
set -euo pipefail

built=$(readlink -f "${1:?usage: ime.sh PATH_TO_BUILT_TESSERIN}")
skip() {
  echo "SKIP: $* (no input method to test with)"
  exit 77
}

for tool in Xvfb xdotool fcitx5 fcitx5-remote dbus-daemon; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
compgen -G "/usr/lib/*/fcitx5/fcitx5-mozc.so" >/dev/null || skip "fcitx5-mozc is missing"
compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so" \
  >/dev/null || skip "fcitx5-frontend-qt6 is missing"
python=
for p in /usr/bin/python3 python3; do
  if command -v "$p" >/dev/null && "$p" -c 'import Xlib' 2>/dev/null; then python=$p; break; fi
done
[ -n "$python" ] || skip "python3-xlib is missing (it presses the close box)"

if [ "$(id -u)" -eq 0 ]; then
  command -v runuser >/dev/null && id nobody >/dev/null 2>&1 ||
    skip "running as root and there is no user nobody to run mozc as"
  as_user=$(mktemp -d "${TMPDIR:-/tmp}/tesserin-ime.XXXXXX")
  cp "$built" "$as_user/tesserin"
  cp "$0" "$as_user/ime.sh"
  cp "$(dirname "$0")/lib.sh" "$as_user/lib.sh"
  chmod 755 "$as_user"
  chown -R nobody "$as_user"
  status=0
  runuser -u nobody -- env -u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS TMPDIR="$as_user" \
    bash "$as_user/ime.sh" "$as_user/tesserin" || status=$?
  rm -rf "$as_user" 2>/dev/null || true
  exit "$status"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tesserin-ime-run.XXXXXX")
pids=()
step="start"
cleanup() {
  local rc=$?
  [ "$rc" -ne 0 ] && [ "$rc" -ne 77 ] && {
    echo "ime: FAILED at step: $step" >&2
    [ -f "$work/app.log" ] && cat "$work/app.log" >&2
  }
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work" 2>/dev/null || true
  exit "$rc"
}
trap cleanup EXIT
me="ime"
source "$(dirname "$0")/lib.sh"

mkdir -p "$work/home/.config/fcitx5" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM SESSION_MANAGER

step="starting Xvfb"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_until 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

step="starting the session bus and fcitx5"
dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
  3>"$work/bus" 4>"$work/bus.pid"
pids+=("$(cat "$work/bus.pid")")
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
# mozc is the second input method of the group: Ctrl+Space switches to it.
cat >"$work/home/.config/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
fcitx5 >"$work/fcitx5.log" 2>&1 &
pids+=($!)
wait_until 20 fcitx5-remote >/dev/null 2>&1 || skip "fcitx5 did not start: $(tail -3 "$work/fcitx5.log")"

app_pid=
start_program() {
  mkdir -p "$work/config-$1"
  XDG_CONFIG_HOME="$work/config-$1" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb \
    QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx "$built" >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}

# The program's windows captioned Quillora, newest last.
windows() {
  local w
  for w in $(xdotool search --onlyvisible --class tesserin 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "Quillora" ] && echo "$w"
  done
}

# click_in WINDOW X Y: a click at a point of the window.
click_in() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + $2)) $((Y + $3)) 2>/dev/null || xdotool mousemove $((X + $2)) $((Y + $3))
  xdotool click 1
}

# Types "nihongo" at the end of the box under the click, converts it and leaves it unconfirmed.
convert_unconfirmed() {
  click_in "$1" "$2" "$3"
  xdotool key --delay 50 ctrl+End ctrl+space
  wait_until 5 eval '[ "$(fcitx5-remote)" = 2 ]' || fail "mozc did not switch on"
  xdotool type --delay 80 nihongo
  xdotool key --delay 50 space
  sleep 1
}

# The close box: the window manager's WM_DELETE_WINDOW to the window.
close_box() {
  "$python" - "$1" <<'EOF'
import sys
from Xlib import X, display
from Xlib.protocol import event
d = display.Display()
w = d.create_resource_object('window', int(sys.argv[1]))
proto = d.intern_atom('WM_PROTOCOLS')
delete = d.intern_atom('WM_DELETE_WINDOW')
w.send_event(event.ClientMessage(window=w, client_type=proto, data=(32, [delete, X.CurrentTime, 0, 0, 0])))
d.flush()
EOF
}

expect_stored() {
  local ini="$work/config-$1/Tesserin/Tesserin.conf"
  wait_until 10 eval '! kill -0 '"$app_pid"' 2>/dev/null' || fail "$1: the program did not end"
  grep -q '^str1=日本語' "$ini" 2>/dev/null ||
    fail "$1: the converted text is not in the store: $(grep -a '^str1' "$ini" 2>/dev/null)"
  echo "ok - $1 keeps the unconfirmed conversion"
}

# The body's middle, in pixels of the main window (twips 1575+5130/2, 1800+2205/2, menu bar
# above); the mini window's body.
body_x=276
body_y=$((193 + 25))

for way in close-box sigterm mini-close-box; do
  step="$way"
  start_program "$way"
  wait_until 20 eval '[ -n "$(windows)" ]' || fail "the main window did not appear"
  main=$(windows | head -n1)
  case "$way" in
  close-box)
    convert_unconfirmed "$main" "$body_x" "$body_y"
    close_box "$main"
    ;;
  sigterm)
    convert_unconfirmed "$main" "$body_x" "$body_y"
    kill -TERM "$app_pid"
    ;;
  mini-close-box)
    click_in "$main" 417 $((323 + 20)) # 小さくする
    wait_until 10 eval '[ "$(windows | grep -vx "$main" | head -n1)" != "" ]' ||
      fail "the mini window did not appear"
    mini=$(windows | grep -vx "$main" | head -n1)
    convert_unconfirmed "$mini" 100 60
    close_box "$mini"
    ;;
  esac
  expect_stored "$way"
done
