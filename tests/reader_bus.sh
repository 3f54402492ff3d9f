# Sourced (before desktop.sh) by the screen-reader checks: a private session bus
# with the accessibility bus on it. The calling script runs itself again under
# dbus-run-session, with a home of its own for the bus and the services it
# starts (the settings the launcher keeps its switches in), so nothing leaks
# into the user's. After `start_reader_bus` (once desktop.sh is sourced): the
# accessibility bus runs, and READER_PYTHON is a Python with pyatspi.
# A missing part ends the check as skipped (exit 77).

if [ -z "${CVAB_READER_HOME:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "skipped: dbus-run-session is not installed"; exit 77; }
  CVAB_READER_HOME=$(mktemp -d)
  mkdir -m 700 "$CVAB_READER_HOME/run"
  exec env CVAB_READER_HOME="$CVAB_READER_HOME" HOME="$CVAB_READER_HOME" \
    XDG_CONFIG_HOME="$CVAB_READER_HOME/config" XDG_DATA_HOME="$CVAB_READER_HOME/data" \
    XDG_RUNTIME_DIR="$CVAB_READER_HOME/run" dbus-run-session -- "$0" "$@"
fi

READER_PYTHON=/usr/bin/python3

start_reader_bus() {
  cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir" "$CVAB_READER_HOME"; }
  local launcher= candidate
  for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher=$candidate && break
  done
  [ -n "$launcher" ] || { echo "skipped: at-spi2-core's bus launcher is not installed"; exit 77; }
  "$READER_PYTHON" -c 'import pyatspi' 2>/dev/null \
    || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
  command -v gdbus >/dev/null || { echo "skipped: gdbus is not installed"; exit 77; }
  "$launcher" --launch-immediately > /dev/null 2>&1 & pids+=($!)
  for _ in $(seq 50); do
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
      --method org.a11y.Bus.GetAddress > /dev/null 2>&1 && return
    sleep 0.1
  done
  fail "the accessibility bus did not start"
}
