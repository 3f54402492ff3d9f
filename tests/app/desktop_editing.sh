#!/usr/bin/env bash
# A whole editing session with the real program on a real X desktop (Xvfb and
# openbox), by keyboard and mouse: a new book named in its save panel, three
# records added, one changed, one found and deleted, saved, and the book reopened
# at the next start with the same records. Then another program (book_rewriter,
# built beside the tests) rewrites the open book: shown at once; rewritten
# again under a change of the window's own, Ctrl+W merges both and says so.
# Usage: desktop_editing.sh CVAB [PICTURE_FOLDER]
set -u
cvab=$1
pictures=${2:-}
rewriter=${BOOK_REWRITER:-$(dirname "$cvab")/../tests/mainwindow/book_rewriter}
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xclip
[ -x "$rewriter" ] || { echo "skipped: no $rewriter"; exit 77; }
mkdir -p "$dir/run" && chmod 700 "$dir/run"
picture() {
  [ -n "$pictures" ] || return 0
  if command -v import >/dev/null; then import -window root "$pictures/$1.png"
  elif command -v xwdtopnm >/dev/null; then xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$pictures/$1.png"
  fi
  return 0
}

export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run
export XDG_STATE_HOME=$dir/state

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
grep -q -E 'terminate called|Sanitizer|runtime error' "$dir/out" && fail "aborted"

tab=$'\t'
expected="ann${tab}Ann$(printf '\t%.0s' $(seq 19))
robert${tab}Bob$(printf '\t%.0s' $(seq 19))"
[ "$(cat "$dir/people.cvab")" = "$expected" ] || fail "the book holds: $(cat -A "$dir/people.cvab")"

# The next start reopens it, unchanged by opening and closing.
before=$(md5sum < "$dir/people.cvab")
start
wait_window '^people\.cvab$'
keys ctrl+q
wait_exit "$app" "Ctrl+Q after reopening" || fail "exit status $? after reopening"
[ "$(md5sum < "$dir/people.cvab")" = "$before" ] || fail "reopening changed the book"

# Another program changes the open book: the window shows it (the first row,
# copied to the clipboard) without saving anything.
start
wait_window '^people\.cvab$'
"$rewriter" "$dir/people.cvab" set ann 1 Annie add zed || fail "book_rewriter failed"
sleep 0.8
click 60 $(( 20 + 37 + 6 ))
keys F10 Right Right Right Right Right Down Return
[ "$(timeout 2 xclip -o -selection clipboard | cut -f 2)" = Annie ] || fail "not read anew"
# Robert becomes bobby here, rob there: Ctrl+W keeps both sides and says so.
click 60 $(( 20 + 37 + 22 ))
keys Return
wait_window '^Record Data Entry$'
type_text bobby
keys Return
"$rewriter" "$dir/people.cvab" set robert 0 rob set ann 15 ann@there || fail "book_rewriter failed"
sleep 0.8
keys ctrl+w
wait_window '^Corvane Address Book LITE$'
picture merge-alert
keys Escape
wait_exit "$app" "Ctrl+W after the merge" || fail "exit status $? after the merge"
expected="ann${tab}Annie$(printf '\t%.0s' $(seq 14))ann@there$(printf '\t%.0s' $(seq 5))
bobby${tab}Bob$(printf '\t%.0s' $(seq 19))
zed$(printf '\t%.0s' $(seq 20))"
[ "$(cat "$dir/people.cvab")" = "$expected" ] || fail "the merge holds: $(cat -A "$dir/people.cvab")"
grep -q 'mine "bobby", theirs "rob"; kept mine' "$dir/state/cvab/conflicts.log" \
  || fail "no conflict logged"
echo "desktop editing session passed"
