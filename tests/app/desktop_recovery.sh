#!/usr/bin/env bash
# A kill loses nothing: the real program on a real X desktop (Xvfb and openbox)
# holds two records added and not saved when it is killed with SIGKILL; the
# book on disk is as it was, its journal beside it is for the user alone, and
# the next start offers the changes back: Recover (Enter) brings them, and a
# save writes them and removes the journal.
# Usage: desktop_recovery.sh CVAB
set -u
cvab=$1
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool
mkdir -p "$dir/run" && chmod 700 "$dir/run"
export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run \
  XDG_STATE_HOME=$dir/state

start() {
  "$cvab" "$@" >> "$dir/out" 2>&1 & app=$!
  pids+=($app)
}
wait_window() {
  timeout 10 xdotool search --sync --onlyvisible --name "$1" > /dev/null 2>&1 || fail "no window \"$1\""
  sleep 0.5
}
keys() { xdotool key --delay 40 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 30 "$1"; sleep 0.2; }

tab=$'\t'
tabs() { printf '\t%.0s' $(seq "$1"); }
book="$dir/people.cvab"
old="ann${tab}Ann$(tabs 19)
bob${tab}Bob$(tabs 19)"
printf '%s\n' "$old" > "$book"

start "$book"
wait_window '^people\.cvab$'
# Two records through the entry window, which stays open: nothing is saved.
keys F10 Right Right Right Right Down Return
wait_window '^Record Data Entry$'
for person in cat:Cat dan:Dan; do
  type_text "${person%%:*}"; keys Tab; type_text "${person##*:}"; keys Return
done
journal="$dir/.people.cvab.cvabjournal"
for _ in $(seq 20); do [ -f "$journal" ] && break; sleep 0.1; done
[ -f "$journal" ] || fail "no journal within two seconds of the changes"
[ "$(stat -c %a "$journal")" = 600 ] || fail "the journal is $(stat -c %a "$journal"), not 600"
grep -q "^+${tab}.*${tab}dan${tab}Dan" "$journal" || fail "the journal lacks the last record: $(cat -A "$journal")"

kill -9 "$app"; wait "$app" 2>/dev/null
[ "$(cat "$book")" = "$old" ] || fail "the book was written: $(cat -A "$book")"

start "$book"
wait_window '^people\.cvab$'
timeout 10 xdotool search --sync --onlyvisible --name '^Corvane Address Book LITE$' > /dev/null 2>&1 \
  || fail "no offer to recover"
sleep 0.5
keys Return
keys ctrl+s
[ -f "$journal" ] && fail "the journal is still there after the save"
keys ctrl+q
wait_exit "$app" "Ctrl+Q" || fail "exit status $?"
check_no_faults "" "$dir/out"

expected="$old
cat${tab}Cat$(tabs 19)
dan${tab}Dan$(tabs 19)"
[ "$(cat "$book")" = "$expected" ] || fail "the book holds: $(cat -A "$book")"
echo "desktop recovery passed"
