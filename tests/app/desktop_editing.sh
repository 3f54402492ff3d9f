#!/usr/bin/env bash
# A whole editing session with the real program on a real X desktop (Xvfb and
# openbox), by keyboard and mouse: a new book named in its save panel, three
# records added, one changed, one found and deleted, and saved. (Reopening at
# the next start and a book another program changes: the headless tests.)
# Usage: desktop_editing.sh CVAB [PICTURE_FOLDER]
set -u
cvab=$1
pictures=${2:-}
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xclip
mkdir -p "$dir/run" && chmod 700 "$dir/run"
picture() {
  [ -n "$pictures" ] || return 0
  if command -v import >/dev/null; then import -window root "$pictures/$1.png"
  elif command -v xwdtopnm >/dev/null; then xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$pictures/$1.png"
  fi
  return 0
}

export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run

start() {
  "$cvab" "$@" > "$dir/out" 2>&1 & app=$!
  pids+=($app)
}
wait_window() {
  timeout 10 xdotool search --sync --onlyvisible --name "$1" > /dev/null 2>&1 || fail "no window \"$1\""
  sleep 0.5
}
keys() { xdotool key --delay 40 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 30 "$1"; sleep 0.2; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
records_menu() { keys F10 Right Right Right Right Down "$@"; }

# A new book: the save panel asks for its name at once.
start
wait_window '^Save'
type_text people.cvab
keys Return
wait_window '^people\.cvab$'
[ -f "$dir/people.cvab" ] || fail "naming did not write the book"

# Three records, typed one after another: nickname, Tab, first name, Enter (Add).
records_menu Return
wait_window '^Record Data Entry$'
for person in ann:Ann bob:Bob cat:Cat; do
  type_text "${person%%:*}"; keys Tab; type_text "${person##*:}"; keys Return
done
picture entry-window
# Cancel: the editor is centred, 270 by 470; its Cancel button at (70, 440).
click $(( (1023 / 2 - 135) + 90 )) $(( (767 / 2 - 235) + 452 ))

# Bob becomes Robert: his row, Enter opens it with each field selected.
click 60 $(( 20 + 37 + 22 ))
keys Return
wait_window '^Record Data Entry$'
type_text robert
keys Return

# Find cat and delete it.
keys F10 Right Right Right Down Return
wait_window '^Find$'
type_text CAT
keys Return
picture find-window
click $(( 120 + 300 )) $(( 120 + 80 ))
keys F10 Right Right Right Right Down Down Down Return
keys ctrl+s
keys ctrl+q
wait_exit "$app" "Ctrl+Q" || fail "exit status $?"
check_no_faults "" "$dir/out"

tab=$'\t'
expected="ann${tab}Ann$(printf '\t%.0s' $(seq 19))
robert${tab}Bob$(printf '\t%.0s' $(seq 19))"
[ "$(cat "$dir/people.cvab")" = "$expected" ] || fail "the book holds: $(cat -A "$dir/people.cvab")"

echo "desktop editing session passed"
