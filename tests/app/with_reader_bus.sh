#!/usr/bin/env bash
# Runs a program (a benchmark that reads the program as a screen reader does) on
# a private X desktop with a session bus and the accessibility bus on it, in a
# scratch home. Usage: with_reader_bus.sh PROGRAM [ARGUMENTS...]
set -u
. "$(dirname "$0")/../reader_bus.sh"
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool xprop
start_reader_bus
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break
  sleep 0.1
done
"$@"
