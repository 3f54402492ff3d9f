#!/usr/bin/env bash
# The address book on an X desktop that asks for 192 dpi (Xft.dpi through xrdb)
# opens its book window at twice its size in device pixels, unless CVAB_SCALE=1
# says otherwise.
# Usage: hidpi_desktop.sh CVAB
set -u
program=$1
. "$(dirname "$0")/../desktop.sh"
# Room for the doubled window: the screen is 1024 x 768 in the API at scale 2.
DESKTOP_SCREEN=2048x1536x24 start_desktop xrdb xdotool xwininfo
export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_STATE_HOME=$dir/state
export XDG_RUNTIME_DIR=$dir/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
for i in $(seq 30); do
  printf 'nick%s\tFirst%s\t\tLast%s\n' "$i" "$i" "$i"
done > "$dir/book.txt"

# The size of the program's first window, as "WIDTHxHEIGHT".
window_size() {
  "$program" "$dir/book.txt" > "$dir/out" 2>&1 & local app=$!
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
echo "at 192 dpi the book window is $doubled device pixels, twice its $plain"
