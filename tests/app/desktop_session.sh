#!/usr/bin/env bash
# The real program on a real X desktop (Xvfb and openbox): a 10,000-record book,
# a record copied to the desktop's clipboard through the keyboard-opened menus,
# a header click, a page down, then Ctrl+Q; it must end cleanly without writing
# the unchanged book. Then a book with no frame of its own opens centred, and
# neither that nor the window manager's placement writes to it.
# Usage: desktop_session.sh CVAB [SCREENSHOT.png]
set -u
cvab=$1
shot=${2:-}
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xclip setfattr getfattr xwininfo
mkdir -p "$dir/run" && chmod 700 "$dir/run"
# Starts the program on the book NAME in $dir and waits for its window ($window).
open_book() {
  HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run \
    "$cvab" "$dir/$1" > "$dir/out" 2>&1 & app=$!
  pids+=($app)
  window=$(timeout 10 xdotool search --sync --onlyvisible --name "^${1//./\\.}\$" | head -n 1)
  [ -n "$window" ] || fail "no window titled $1"
  sleep 1
}

awk 'BEGIN { srand(7); split("Ann Bob Cleo Dan Eva Finn Gus Hana", first, " ");
  split("Lee Moss Nash Ortiz Park Quinn Reyes Stone", last, " ");
  for (i = 0; i < 10000; i++) {
    f = first[int(rand() * 8) + 1]; l = last[int(rand() * 8) + 1];
    printf "%s%d\t%s\t\t%s\t\tAcme\t%d Main St\t\tSpringfield\tIL\t62701\tUSA\t555-%04d", tolower(f), i, f, l, i, i;
    printf "\t\t\t%s%d@example.org\t\twww.example.org/%d\t\t\t\n", tolower(f), i, i } }' > "$dir/book.cvab"
# The window frame kept with the book: content at (100, 100), 800 by 500.
frame=$(printf 'TCER\x00\x00\xc8\x42\x00\x00\xc8\x42\x00\xc0\x60\x44\x00\xc0\x15\x44' | base64)
setfattr -n user.CVABWndwFrame -v "0s$frame" "$dir/book.cvab" || fail "no extended attributes here"
before=$(md5sum < "$dir/book.cvab")

open_book book.cvab
X=100 Y=100

# A picture of the screen for whoever asked: NAME goes into the picture's name.
shoot() {
  [ -n "$shot" ] || return 0
  local file=${shot%.png}$1.png
  if command -v import >/dev/null; then import -window root "$file"
  elif command -v xwdtopnm >/dev/null; then xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$file"
  fi
}

# Selects the first row, then Action > Copy this Record to the Clipboard from the
# keyboard, until the clipboard holds it (TABs for line ends); a desktop busy
# starting the program may take a few tries.
expected=$(head -n 1 "$dir/book.cvab" | tr '\n' '\t')
copied=
for _ in 1 2 3; do
  xdotool mousemove $((X + 40)) $((Y + 37 + 6)) click 1
  sleep 0.3
  xdotool key F10 Right Right Right Right Right Down Return
  for _ in $(seq 30); do
    copied=$(timeout 2 xclip -o -selection clipboard 2>/dev/null)
    [ "$copied" = "$expected" ] && break 2
    sleep 0.1
  done
done
[ "$copied" = "$expected" ] || fail "clipboard holds \"$copied\""
shoot -copy

# Sort by Last Name and page down; then a picture for whoever asked.
xdotool mousemove $((X + 3 * 80 + 40)) $((Y + 16 + 11)) click 1
sleep 0.5
xdotool key Next
sleep 0.5
shoot ""

xdotool key ctrl+q
wait_exit "$app" "Ctrl+Q"; status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
check_no_faults "" "$dir/out"
[ "$(md5sum < "$dir/book.cvab")" = "$before" ] || fail "the unchanged book was rewritten"

printf 'ann\tAnn\n' > "$dir/plain.txt"
open_book plain.txt
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left|Width|Height/ { printf "%s ", $NF }')
[ "$geometry" = "112 184 800 400 " ] || fail "a book without a frame shows at $geometry"
xdotool key ctrl+q
wait_exit "$app" "Ctrl+Q on the plain book" || fail "exit status $?"
getfattr -d "$dir/plain.txt" 2>/dev/null | grep -q . && fail "opening the plain book wrote to it"

echo "desktop session passed"
