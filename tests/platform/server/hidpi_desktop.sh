#!/usr/bin/env bash
# A program on an X desktop that asks for 192 dpi (Xft.dpi through xrdb) gets its
# windows at twice their size in device pixels, unless CVAB_SCALE=1 says otherwise.
# Usage: hidpi_desktop.sh PROGRAM (one that opens a window and stays).
set -u
program=$1
. "$(dirname "$0")/../../desktop.sh"
start_desktop xrdb xdotool xwininfo

# The size of the program's first window, as "WIDTHxHEIGHT".
window_size() {
  "$program" > "$dir/out" 2>&1 & local app=$!
  local id
  id=$(timeout 10 xdotool search --sync --onlyvisible --pid "$app" 2>/dev/null | head -n 1)
  [ -n "$id" ] || { kill "$app"; fail "no window"; }
  xwininfo -id "$id" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
  kill "$app"; wait "$app" 2>/dev/null
}

echo "Xft.dpi: 192" | xrdb -nocpp -merge || fail "xrdb"
doubled=$(window_size)
plain=$(CVAB_SCALE=1 window_size)
w=${plain%x*} h=${plain#*x}
[ "$doubled" = "$((2 * w))x$((2 * h))" ] || fail "at 192 dpi $doubled, at scale 1 $plain"
echo "at 192 dpi the window is $doubled device pixels, twice its $plain"
