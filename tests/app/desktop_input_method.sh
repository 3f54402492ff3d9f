#!/usr/bin/env bash
# The real program with a real input method (IBus) on a real X desktop (Xvfb and
# openbox), keys from xdotool: a Vietnamese name typed with telex shows as an
# underlined composition in the field before the input method commits it; space
# and Enter commit it in their order (no stray space, Enter adds no record
# until the composition is in); a cangjie candidate window opens at the caret;
# the records are saved as typed.
# Usage: desktop_input_method.sh CVAB X_REGION [PICTURE_FOLDER]
set -u
cvab=$1
region=$2
pictures=${3:-}
for tool in dbus-run-session ibus-daemon ibus; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ -z "${CVAB_IN_SESSION_BUS:-}" ]; then
  # IBus and the program meet on a session bus of their own.
  exec dbus-run-session -- env CVAB_IN_SESSION_BUS=1 "$0" "$@" 2> /dev/null
fi
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xwininfo
mkdir -p "$dir/run" && chmod 700 "$dir/run"
export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run
unset GTK_IM_MODULE QT_IM_MODULE XMODIFIERS SDL_IM_MODULE

ibus-daemon --panel /usr/libexec/ibus-ui-gtk3 --daemonize --replace > /dev/null 2>&1
for _ in $(seq 50); do ibus list-engine > /dev/null 2>&1 && break; sleep 0.2; done
for engine in m17n:vi:telex table:cangjie5; do
  ibus list-engine 2>/dev/null | grep -q "$engine" || { echo "skipped: no IBus engine $engine"; exit 77; }
done

keys() { xdotool key --delay 60 "$@"; sleep 0.5; }
wait_window() {
  timeout 10 xdotool search --sync --onlyvisible --name "$1" > /dev/null 2>&1 || fail "no window \"$1\""
  sleep 0.7
}
# The content origin of a window on the screen, as "X Y".
origin() {
  xwininfo -name "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    END { print x, y }'
}
# The inside of the editor's first field (window x 88 to 242, y 6 to 22).
field() {
  "$region" $((ex + 88)) $((ey + 6)) 155 17 ${pictures:+"$pictures/$1.png"}
}
run_of() { sed -n 's/.*run=\([0-9]*\).*/\1/p' <<< "$1"; }

"$cvab" "$dir/people.cvab" > "$dir/out" 2>&1 & app=$!
pids+=($app)
wait_window '^people\.cvab$'
keys F10 Right Right Right Right Down Return
wait_window '^Record Data Entry$'
read -r ex ey <<< "$(origin 'Record Data Entry')"
[ -n "$ex" ] || fail "no origin for the editor"

# Telex: "Nguyeenx" composes "Nguyễn", shown underlined before anything is typed.
ibus engine m17n:vi:telex
sleep 0.5
xdotool type --delay 80 Nguyeenx
sleep 0.7
composing=$(field composing)
[ "$(run_of "$composing")" -ge 20 ] || fail "no underlined composition in the field: $composing"
keys space
committed=$(field committed)
[ "$(run_of "$committed")" -lt 20 ] || fail "still underlined after the commit: $committed"
# "Vawn" composes "Văn"; Enter commits it and adds nothing, the next Enter adds.
xdotool type --delay 80 Vawn
sleep 0.5
keys Return
keys Return

# Cangjie: "a" opens the candidates under the caret of the cleared first field.
ibus engine table:cangjie5
sleep 0.5
keys a
candidates=$(xwininfo -root -tree | awk '/"ibus-ui-gtk3"/ && $0 !~ /10x10|16x16/ {
  split($NF, at, "+"); print at[2], at[3]; exit }')
[ -n "$candidates" ] || fail "no candidate window"
read -r cx cy <<< "$candidates"
[ -z "$pictures" ] || "$region" "$ex" "$ey" 420 480 "$pictures/candidates.png" > /dev/null
{ [ "$cx" -ge $((ex + 85)) ] && [ "$cx" -le $((ex + 245)) ] \
  && [ "$cy" -ge $((ey + 8)) ] && [ "$cy" -le $((ey + 30)) ]; } \
  || fail "candidates at $cx,$cy, the field at $((ex + 85)),$((ey + 4))"
keys space
keys Return
keys Escape
keys ctrl+s
keys ctrl+q
wait_exit "$app" "Ctrl+Q" || fail "exit status $?"

tab=$'\t'
empty=$(printf '\t%.0s' $(seq 20))
expected="Nguyễn Văn$empty
日$empty"
[ "$(cat "$dir/people.cvab")" = "$expected" ] || fail "the book holds: $(cat -A "$dir/people.cvab")"
echo "input method session passed"
