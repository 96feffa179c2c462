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
