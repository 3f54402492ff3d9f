#!/usr/bin/env bash
# The real program read by a screen reader's means on a real X desktop: a
# private session bus with the accessibility bus (at-spi2-core's launcher), and
# reader_session.py reading the tree with pyatspi and driving the program by the
# keyboard (xdotool) and AT-SPI alone. MODE "before" enables accessibility
# (IsEnabled) before the program starts; "after" starts the program first and
# then says a screen reader runs (ScreenReaderEnabled).
# Usage: desktop_reader.sh CVAB MODE
set -u
# The bus and the services it starts (the settings the launcher keeps its
# switches in) get a home of their own, so nothing leaks into the user's.
if [ -z "${CVAB_READER_HOME:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "skipped: dbus-run-session is not installed"; exit 77; }
  CVAB_READER_HOME=$(mktemp -d)
  mkdir -m 700 "$CVAB_READER_HOME/run"
  exec env CVAB_READER_HOME="$CVAB_READER_HOME" HOME="$CVAB_READER_HOME" \
    XDG_CONFIG_HOME="$CVAB_READER_HOME/config" XDG_DATA_HOME="$CVAB_READER_HOME/data" \
    XDG_RUNTIME_DIR="$CVAB_READER_HOME/run" dbus-run-session -- "$0" "$@"
fi
cvab=$1
mode=${2:-before}
. "$(dirname "$0")/../desktop.sh"
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir" "$CVAB_READER_HOME"; }

launcher=
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
  [ -x "$candidate" ] && launcher=$candidate && break
done
[ -n "$launcher" ] || { echo "skipped: at-spi2-core's bus launcher is not installed"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null \
  || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
command -v gdbus >/dev/null || { echo "skipped: gdbus is not installed"; exit 77; }
start_desktop xdotool setfattr

"$launcher" --launch-immediately > /dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress > /dev/null 2>&1 && break
  sleep 0.1
done

tab=$'\t'
printf '%s\n' "ann${tab}Ann${tab}${tab}Lee" "bob${tab}Bob${tab}${tab}Cole" > "$dir/book.cvab"
# An address book's type: its lines start with the nickname.
type=$(printf 'SMIMapplication/x.vnd-tarvish-cvabfile\0' | base64 -w0)
setfattr -n user.BEOS:TYPE -v "0s$type" "$dir/book.cvab" || fail "no extended attributes here"
mkdir "$dir/folder.cvab"

/usr/bin/python3 "$(dirname "$0")/reader_session.py" "$cvab" "$dir" "$mode" \
  || fail "the reader's session"
grep -q -E 'terminate called|Sanitizer|runtime error|CRITICAL' "$dir/out" && fail "aborted"
echo "reader session ($mode) passed"
