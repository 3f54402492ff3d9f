#!/usr/bin/env bash
# The widget demo on a real X desktop (Xvfb and openbox) quits cleanly from its
# menu (F10, Up to "Close", Return), from its shortcut (Ctrl+W) and from SIGTERM,
# ROUNDS times each. Usage: desktop_quit.sh WIDGETDEMO [ROUNDS]
set -u
demo=$1
rounds=${2:-3}
. "$(dirname "$0")/../../tests/desktop.sh"
start_desktop xdotool

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
  wait_exit "$app" "$how"; local status=$?
  [ "$status" -eq 0 ] || fail "$how: exit status $status"
  grep -q -E 'terminate called|Sanitizer|runtime error' "$dir/out" && fail "$how: aborted"
  return 0
}

for round in $(seq "$rounds"); do
  for how in menu shortcut sigterm; do run "$how"; done
done
echo "widget demo quit cleanly $rounds times each from its menu, its shortcut and SIGTERM"
