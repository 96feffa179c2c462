# SPDX-License-Identifier: MIT
# What the session scripts share; each sets `me` (the name its messages start with) first.

fail() { echo "$me: $*" >&2; exit 1; }

# wait_until SECONDS COMMAND...: polls instead of sleeping a fixed time.
wait_until() {
  local limit=$1; shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# The main window's client area below the menu bar, and its controls (left, top, width, height),
# in twips.
readonly ClientHeightTwips=5160
readonly Handle="1575 180 5130 285"
readonly Title="1575 1380 5130 285"
readonly Body="1575 1800 5130 2205"
readonly CopyHandle="6840 180 795 285"
readonly CopyTitle="6825 1380 795 285"
readonly CopyBody="6825 2550 795 540"
readonly Clear="6825 3570 795 375"
readonly FaceButton="3375 4125 495 345"
readonly Slot1="3990 4170 825 300"
readonly Slot2="4942 4170 825 300"
readonly Slot3="5910 4170 825 300"
readonly End="3308 4620 1215 465"

# Twips to pixels, each number rounded on its own as the program does.
px() { echo $((($1 * 2 + 15) / 30)); }
