#!/usr/bin/env bash
# The demonstration editor and the real address book on a real X desktop (Xvfb
# and openbox), driven by real input: text typed into the editor, selected,
# and Services > Look Up E-Mail Address chosen from the keyboard-opened menu;
# the nicknames must come back as addresses (read through the desktop's
# clipboard after Ctrl+A, Ctrl+C). Then the postal look-up of one word.
# Usage: wsdemo_desktop.sh CVAB WSDEMO [SCREENSHOT.png]
set -u
cvab=$1
wsdemo=$2
shot=${3:-}
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xclip
mkdir -p "$dir/run" && chmod 700 "$dir/run"
fail() { echo "FAILED: $*"; tail -n 5 "$dir"/out*; exit 1; }

# nickname, first, middle, last, ..., city (field 9), ..., Email 1 (field 16).
{
  printf 'bob\tRobert\t\tSmith\t\t\t1 Main St\t\tSpringfield\tIL\t62701\t\t\t\t\tbob@example.org\t\t\t\t\t\n'
  printf 'ann\tAnn\t\tLee\t\t\t\t\tShelbyville\t\t\t\t\t\t\tann@example.org\t\t\t\t\t\n'
} > "$dir/book.cvab"

export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run
"$cvab" "$dir/book.cvab" > "$dir/out" 2>&1 & app=$!
pids+=($app)
timeout 10 xdotool search --sync --name '^book\.cvab$' > /dev/null || fail "no address book window"

"$wsdemo" > "$dir/out-demo" 2>&1 & demo=$!
pids+=($demo)
window=$(timeout 10 xdotool search --sync --name '^Word Services Demo$' | head -n 1)
[ -n "$window" ] || fail "no demo window"
xdotool windowactivate --sync "$window" 2>/dev/null
sleep 0.5

look_up() {  # $1: typed text, $2: Down presses in the Services menu
  xdotool mousemove --window "$window" 100 80 click 1
  sleep 0.2
  xdotool key ctrl+a BackSpace
  xdotool type --delay 20 "$1"
  xdotool key ctrl+a
  sleep 0.2
  xdotool key F10 Right
  for _ in $(seq "$2"); do xdotool key Down; done
  xdotool key Return
  sleep 1.5
  xdotool key ctrl+a ctrl+c
  sleep 0.3
  timeout 5 xclip -o -selection clipboard 2>/dev/null
}

got=$(look_up "write to bob, cc ANN and carl." 1)
[ -n "$shot" ] && command -v import >/dev/null && import -window root "$shot"
[ "$got" = "write to bob@example.org, cc ann@example.org and carl." ] || fail "e-mail look-up gave \"$got\""

got=$(look_up "bob" 2)
want=$(printf 'Robert  Smith \n \n \n1 Main St \n \nSpringfield IL 62701 ')
[ "$got" = "$want" ] || fail "postal look-up gave \"$got\""

xdotool key ctrl+q
xdotool search --name '^book\.cvab$' windowactivate --sync 2>/dev/null
xdotool key ctrl+q
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the address book still runs 5 s after Ctrl+Q"
check_no_faults "" "$dir"/out*
echo "word services desktop session passed"
