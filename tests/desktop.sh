# Sourced by the desktop checks: a private X desktop (Xvfb on a free display,
# openbox as the window manager) and a scratch folder, both gone at exit.
# After `start_desktop TOOL...`: $dir, $DISPLAY, fail, check_no_faults, and
# `pids` to add to.
# DESKTOP_SCREEN sets the screen (default 1024x768x24).
# A missing tool ends the check as skipped (exit 77, which CTest reports so).

pids=()
dir=$(mktemp -d)
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; tail -n 5 "$dir/out" 2>/dev/null; exit 1; }

start_desktop() {
  local tool
  for tool in Xvfb openbox "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  Xvfb -displayfd 1 -screen 0 "${DESKTOP_SCREEN:-1024x768x24}" -nolisten tcp > "$dir/display" 2>/dev/null & pids+=($!)
  for _ in $(seq 50); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || fail "Xvfb did not start"
  export DISPLAY=:$(head -n 1 "$dir/display")
  openbox > /dev/null 2>&1 & pids+=($!)
  sleep 0.5
}

# Fails when a program's output tells of a fault (an uncaught exception, a
# sanitizer's report, or what $1 adds), showing the lines that tell it, so a
# failure seen once says what it was. Usage: check_no_faults EXTRA FILE...
check_no_faults() {
  local pattern='terminate called|Sanitizer|runtime error'
  [ -n "$1" ] && pattern="$pattern|$1"
  shift
  grep -q -E "$pattern" "$@" || return 0
  grep -h -E -A 12 "$pattern" "$@" | head -n 60
  fail "a fault in the program's output"
}

# Waits up to 5 s for a process to end; its exit status, or fails.
wait_exit() {
  local pid=$1 what=$2
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "$what: still running after 5 s"; }
  wait "$pid"
}
