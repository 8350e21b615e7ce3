#!/usr/bin/env bash
# A test program run by hand, without the folders CTest gives it, leaves the user's configuration and data
# as they were, and removes the temporary folders it made.
# Layer: tests.
# Usage: check_by_hand.sh TEST_PROGRAM GTEST_FILTER
set -euo pipefail
program=$1
filter=$2
home=$(mktemp -d "${TMPDIR:-/tmp}/kelmore-byhand-XXXXXX")
trap 'rm -rf "$home"' EXIT
fail() {
  echo "by-hand test: $*" >&2
  exit 1
}

mkdir -p "$home/.config/kelmore" "$home/.local/share/kelmore" "$home/tmp"
mkdir -m 700 "$home/runtime"  # Qt's own, which it would otherwise make in the temporary folder
printf '"the user'\''s own settings"\r\n' >"$home/.config/kelmore/Config.dat"
printf 'COM1=/dev/ttyUSB0\n' >"$home/.config/kelmore/ports.map"
printf 'Sub Start()\r\nEnd Sub\r\n' >"$home/.local/share/kelmore/TMP.tvr"
listing() { (cd "$home" && find .config .local -exec sh -c 'printf "%s " "$1"; [ -f "$1" ] && sha256sum <"$1" || echo' _ {} \; | sort); }
before=$(listing)

env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" TMPDIR="$home/tmp" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
  "$program" --gtest_filter="$filter" >"$home/tmp.log" 2>&1 || fail "$program failed: $(cat "$home/tmp.log")"
grep -q '\[  PASSED  \] 1 test' "$home/tmp.log" || fail "no test ran: $(cat "$home/tmp.log")"

after=$(listing)
[ "$before" = "$after" ] || fail "the user's folders changed:
before:
$before
after:
$after"
left=$(ls -A "$home/tmp")
[ -z "$left" ] || fail "left in the temporary folder: $left"
