#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A person's session with the Windows program under Wine: xdotool types and clicks on an X
# server of tools/windows/build.sh's, a small Windows program reads the clipboard from inside
# Wine (Wine gives X programs LF for CR LF), `wine reg query` reads the store. The program runs
# beside a Shift-JIS face.txt, as a Windows user's old file is. Screenshots of the main window
# and the picker go to windows-main.png and windows-picker.png in the current folder.
# Usage: windows.sh TESSERIN.EXE CLIPBOARD_TEXT.EXE   (DISPLAY, WINEPREFIX and TESSERIN_WIN_QT set)
set -euo pipefail

built=$(readlink -f "${1:?usage: windows.sh TESSERIN.EXE CLIPBOARD_TEXT.EXE}")
clipboard_exe=$(readlink -f "${2:?usage: windows.sh TESSERIN.EXE CLIPBOARD_TEXT.EXE}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
run=$source_dir/tools/windows/wine-run.sh
: "${DISPLAY:?an X display (tools/windows/build.sh starts one)}"
: "${WINEPREFIX:?a Wine prefix of the tests own (tools/windows/build.sh sets one)}"
shots=$PWD

work=$(mktemp -d "${TMPDIR:-/tmp}/tesserin-wine-e2e.XXXXXX")
app_pid=
step="start"
cleanup() {
  local rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "windows e2e: FAILED at step: $step" >&2
    import -display "$DISPLAY" -window root "$shots/windows-failure.png" 2>/dev/null &&
      echo "windows e2e: screen saved as $shots/windows-failure.png" >&2
  fi
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT
me="windows e2e"
source "$(dirname "$0")/lib.sh"

# The program beside a Shift-JIS, CR LF face.txt:
# !!e2e / 笑い<TAB>ｷﾀ━(ﾟ∀ﾟ)━! / 泣き<TAB>(T_T) / 笑い<TAB>(^o^)/
mkdir -p "$work/app"
cp "$built" "$work/app/tesserin.exe"
printf '!!e2e\r\n\x8f\xce\x82\xa2\t\xb7\xc0\x84\xaa(\xdf\x81\xcd\xdf)\x84\xaa!\r\n\x8b\x83\x82\xab\t(T_T)\r\n\x8f\xce\x82\xa2\t(^o^)/\r\n' \
  >"$work/app/face.txt"
# This prefix is the tests' own, yet a store left by an earlier run would change what shows.
wine reg delete 'HKCU\Software\Tesserin' /f >/dev/null 2>&1 || true

win=
win_x=0
win_y=0
menu_h=0

start_program() {
  WINEQT_QPA_PLATFORM=windows "$run" "$work/app/tesserin.exe" >>"$work/app.log" 2>&1 &
  app_pid=$!
  win=
  find_main_window() { win=$(xdotool search --onlyvisible --name '^Quillora$' 2>/dev/null | head -n1); [ -n "$win" ]; }
  wait_until 60 find_main_window || fail "the main window did not appear"
  # Wine maps the window a moment before its contents are laid out.
  sleep 1
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$win")"
  win_x=$X; win_y=$Y
  menu_h=$((HEIGHT - (ClientHeightTwips * 2 + 15) / 30))
  [ "$menu_h" -gt 0 ] || fail "unexpected main window height $HEIGHT"
}
click_at() { xdotool mousemove --sync "$1" "$2" 2>/dev/null || xdotool mousemove "$1" "$2"; xdotool click 1; }
click_control() {
  click_at $((win_x + $(px "$1") + $(px "$3") / 2)) $((win_y + menu_h + $(px "$2") + $(px "$4") / 2))
  sleep 0.3
}
type_text() { xdotool type --delay 40 -- "$1"; }
key() { xdotool key --delay 60 "$@"; }

# expect_clipboard WHAT BYTES (printf format): the clipboard as Windows programs see it.
expect_clipboard() {
  step="clipboard after $1"
  printf "$2" >"$work/expected"
  clipboard_matches() {
    rm -f "$work/actual"
    WINEDEBUG=-all wine "$clipboard_exe" "$(winepath -w "$work/actual")" >/dev/null 2>&1 || return 1
    cmp -s "$work/expected" "$work/actual"
  }
  if ! wait_until 15 clipboard_matches; then
    echo "expected: $(od -An -c "$work/expected")" >&2
    echo "actual:   $(od -An -c "$work/actual" 2>/dev/null)" >&2
    fail "the clipboard does not hold what $1 should put there"
  fi
  echo "ok - $1"
}

# stored NAME: a value of HKCU\Software\Tesserin\Tesserin\Data as `reg query` prints it.
stored() {
  wine reg query 'HKCU\Software\Tesserin\Tesserin\Data' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}

wait_exit() {
  local pid=$1 limit=$2 what=$3 status=0
  wait_until "$limit" eval '! kill -0 '"$pid"' 2>/dev/null' || fail "$what: the program did not end"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$what: the program ended with status $status"
}

# ---- first run: type into the title and the body, F9, おわり -----------------------------------
step="first start"
start_program
echo "ok - the main window shows under Wine"
step="typing"
click_control $Title
type_text "Wine title"
click_control $Body
type_text "Hello wine"
key Return
type_text "second line"
key F9
expect_clipboard "F9 (the body, finished, CR LF)" 'Hello wine\r\nsecond line\r\n'
import -display "$DISPLAY" -window root "$shots/windows-main.png" 2>/dev/null || true

step="ending with おわり"
click_control $End
wait_exit "$app_pid" 20 "おわり"
app_pid=
echo "ok - おわり ends the program with status 0"

step="the registry"
[ "$(stored Title1)" = "Wine title" ] || fail "Title1 in the registry: '$(stored Title1)'"
stored str1 | grep -q "Hello wine" || fail "str1 in the registry: '$(stored str1)'"
echo "ok - the registry holds the title and the body"

# ---- second run: the texts are back, one copy only, the picker, the end of the session -------
step="second start"
start_program
click_control $Body
key F9
expect_clipboard "restart (the body is back)" 'Hello wine\r\nsecond line\r\n'

step="a second copy"
second_status=0
timeout 60 "$run" "$work/app/tesserin.exe" >>"$work/app.log" 2>&1 || second_status=$?
[ "$second_status" -eq 0 ] || fail "a second copy ended with status $second_status"
kill -0 "$app_pid" 2>/dev/null || fail "the first copy ended when a second one started"
echo "ok - a second copy ends at once with status 0"

step="the picker"
click_control $Body
key ctrl+End
click_control $FaceButton
picker=
find_picker() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    [ "$w" != "$win" ] && [ "$(xdotool getwindowname "$w" 2>/dev/null)" != "" ] &&
      xdotool getwindowpid "$w" >/dev/null 2>&1 && { picker=$w; return 0; }
  done
  return 1
}
wait_until 20 find_picker || fail "the picker did not open"
sleep 1
import -display "$DISPLAY" -window root "$shots/windows-picker.png" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$picker" | sed 's/^/P_/')"
click_at $((P_X + $(px 120) + 40)) $((P_Y + $(px 720) + 10))
sleep 0.3
click_at $((P_X + $(px 3480) + 40)) $((P_Y + $(px 720) + 10))
sleep 0.3
click_at $((P_X + $(px 8160) + $(px 1455) / 2)) $((P_Y + $(px 120) + $(px 495) / 2))
picker_closed() { ! xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$picker"; }
wait_until 20 picker_closed || fail "the picker did not close after 決定！！"
click_control $Body
key F9
expect_clipboard "the picker's first emoticon, read from Shift-JIS" \
  'Hello wine\r\nsecond line\r\nｷﾀ━(ﾟ∀ﾟ)━!\r\n'

step="the end of the session"
click_control $Body
key ctrl+End
type_text " session-end"
sleep 0.5
wineboot --end-session >/dev/null 2>&1 || true
wait_until 30 eval '! kill -0 '"$app_pid"' 2>/dev/null' || fail "the session's end did not end the program"
wait "$app_pid" 2>/dev/null || true
app_pid=
stored str1 | grep -q "session-end" || fail "the draft typed before the session's end: '$(stored str1)'"
echo "ok - the end of the session saves the draft"

step="done"
echo "windows e2e: all steps passed"
