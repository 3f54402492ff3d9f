#!/usr/bin/env bash
# The real program read by a screen reader's means on a real X desktop: a
# private session bus with the accessibility bus (at-spi2-core's launcher), and
# reader_session.py reading the tree with pyatspi and driving the program by the
# keyboard (xdotool) and AT-SPI alone. MODE "before" enables accessibility
# (IsEnabled) before the program starts; "after" starts the program first and
# then says a screen reader runs (ScreenReaderEnabled).
# Usage: desktop_reader.sh CVAB MODE
set -u
. "$(dirname "$0")/../reader_bus.sh"
cvab=$1
mode=${2:-before}
. "$(dirname "$0")/../desktop.sh"
start_desktop xdotool setfattr
start_reader_bus

tab=$'\t'
printf '%s\n' "ann${tab}Ann${tab}${tab}Lee" "bob${tab}Bob${tab}${tab}Cole" > "$dir/book.cvab"
# An address book's type: its lines start with the nickname.
type=$(printf 'SMIMapplication/x.vnd-tarvish-cvabfile\0' | base64 -w0)
setfattr -n user.BEOS:TYPE -v "0s$type" "$dir/book.cvab" || fail "no extended attributes here"
mkdir "$dir/folder.cvab"

"$READER_PYTHON" "$(dirname "$0")/reader_session.py" "$cvab" "$dir" "$mode" \
  || fail "the reader's session"
check_no_faults "CRITICAL" "$dir/out"
echo "reader session ($mode) passed"
