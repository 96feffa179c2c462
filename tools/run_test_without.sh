#!/usr/bin/env bash
# Runs a Qt Test program with all of its test functions except the ones named.
# Usage: run_test_without.sh PROGRAM FUNCTION...
set -euo pipefail
program=$1; shift
mapfile -t functions < <("$program" -functions | sed 's/()$//' | grep -vxF -f <(printf '%s\n' "$@"))
echo "left out in this run: $*"
exec "$program" "${functions[@]}"
