#!/usr/bin/env bash
# Runs a test program on a private X desktop (Xvfb and openbox), once the window
# manager has announced itself. Usage: sdl_desktop.sh PROGRAM [ARGUMENTS...]
set -u
. "$(dirname "$0")/../../desktop.sh"
start_desktop xdotool xprop
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break
  sleep 0.1
done
"$@"
exit $?
