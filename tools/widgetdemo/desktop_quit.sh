#!/usr/bin/env bash
# The widget demo on a real X desktop (Xvfb and openbox) quits cleanly from its
# menu (F10, Up to "Close", Return), from its shortcut (Ctrl+W) and from SIGTERM,
# ROUNDS times each. Usage: desktop_quit.sh WIDGETDEMO [ROUNDS]
set -u
demo=$1
rounds=${2:-3}
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
dir=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; tail -n 5 "$dir/out" 2>/dev/null; exit 1; }

Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp > "$dir/display" 2>/dev/null & pids+=($!)
for _ in $(seq 50); do [ -s "$dir/display" ] && break; sleep 0.1; done
[ -s "$dir/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$dir/display")
openbox > /dev/null 2>&1 & pids+=($!)
sleep 0.5

# One run: start, wait for the window, end it the given way, expect status 0.
run() {
  local how=$1
  "$demo" > "$dir/out" 2>&1 & local app=$!
  timeout 10 xdotool search --sync --onlyvisible --pid "$app" > /dev/null 2>&1 \
    || { kill "$app"; fail "$how: no window"; }
  sleep 0.3
  case $how in
    menu) xdotool key F10 Up Return ;;
    shortcut) xdotool key ctrl+w ;;
    sigterm) kill -TERM "$app" ;;
  esac
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && { kill -9 "$app"; fail "$how: still running after 10 s"; }
  wait "$app"; local status=$?
  [ "$status" -eq 0 ] || fail "$how: exit status $status"
  grep -q -E 'terminate called|Sanitizer|runtime error' "$dir/out" && fail "$how: aborted"
  return 0
}

for round in $(seq "$rounds"); do
  for how in menu shortcut sigterm; do run "$how"; done
done
echo "widget demo quit cleanly $rounds times each from its menu, its shortcut and SIGTERM"
