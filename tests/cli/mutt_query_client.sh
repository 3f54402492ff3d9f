#!/usr/bin/env bash
# A real mail client asks cvab-lookup: NeoMutt in tmux, with the query command
# set in a private muttrc (home, settings and mail in a temporary folder, no
# network, nothing sent). In its query menu: a prefix query, a whole-name query
# and a query that matches second addresses only show the expected rows, a long
# address whole; with the book gone the one-line reason shows in the status
# line and nothing else reaches the screen; a record without a name gives a
# name column NeoMutt puts in the To: line it writes. Exit 77 when neomutt or tmux is
# missing (scripts/setup installs both).
# Usage: mutt_query_client.sh CVAB_LOOKUP REMEMBER_BOOK
set -euo pipefail
lookup=$1
remember=$2
for tool in neomutt tmux; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup installs it)"
    exit 77
  fi
done

dir=$(mktemp -d)
tmux_=(tmux -f /dev/null -S "$dir/tmux")
trap '"${tmux_[@]}" kill-server 2>/dev/null || true; rm -rf "$dir"' EXIT
mkdir -p "$dir/home" "$dir/config" "$dir/data" "$dir/cache" "$dir/run" "$dir/mail"
chmod 700 "$dir/run"
export HOME=$dir/home XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data \
  XDG_CACHE_HOME=$dir/cache XDG_RUNTIME_DIR=$dir/run
touch "$dir/mail/inbox"

# Nickname, first, middle and last name in columns 1-4, the addresses in 16-17.
long=mary.ann.brown.has.a.rather.long.address@work.example.org
record() { printf '%s\t%s\t%s\t%s\t\t\t\t\t\t\t\t\t\t\t\t%s\t%s\t\t\t\t\n' "$@"; }
{
  record annie Ann "" Lee annie@example.org ""
  record mary Mary Ann Brown mary@home.example "$long"
  record mike Michael J Brown mike@example.org m.brown@work.example.org
  record mark Mark "" Twain mark@twain.example ""
} > "$dir/friends.cvab"
"$remember" "$dir/friends.cvab"

cat > "$dir/muttrc" <<EOF
set folder = "$dir/mail"
set spoolfile = "$dir/mail/inbox"
set mbox_type = mbox
set record = ""
set postponed = "$dir/mail/postponed"
set sendmail = "/bin/false"
set header_cache = ""
set help = no
set query_command = "$lookup --mutt-query %s"
set sort_alias = unsorted
set query_format = "%4c %a | %n | %e"
EOF
"${tmux_[@]}" new-session -d -s mutt -x 160 -y 24 "neomutt -n -F '$dir/muttrc' -f '$dir/mail/inbox'"

screen() { "${tmux_[@]}" capture-pane -p -t mutt | sed 's/ *$//'; }
fail() { echo "FAIL: $1"; echo "--- screen:"; screen; exit 1; }
# Waits up to 10 s for the screen's first lines to be these (with -l: for its
# last line to be this one; with -g: for a line to hold this text).
wait_for() {
  local mode=first want
  case $1 in -l) mode=last; shift ;; -g) mode=grep; shift ;; esac
  want=$(printf '%s\n' "$@")
  for _ in $(seq 100); do
    case $mode in
      first) [ "$(screen | head -n $#)" = "$want" ] && return 0 ;;
      last) [ "$(screen | tail -n 1)" = "$want" ] && return 0 ;;
      grep) screen | grep -qF -- "$want" && return 0 ;;
    esac
    sleep 0.1
  done
  fail "expected: $want"
}
# A new query from the index or from the query menu (whose prompt holds the
# query before), the prompt cleared first.
query() {
  "${tmux_[@]}" send-keys -t mutt Q
  local prompt="Query: ${shown:-}"
  wait_for -l "${prompt% }"
  "${tmux_[@]}" send-keys -t mutt C-u
  "${tmux_[@]}" send-keys -t mutt -l "$1"
  "${tmux_[@]}" send-keys -t mutt Enter
  shown=$1
}

wait_for -g "NeoMutt: =inbox"

query mar
wait_for "   1 <mary@home.example> | Mary Ann Brown | mary" \
  "   2 <$long> | Mary Ann Brown | mary" \
  "   3 <mark@twain.example> | Mark Twain | mark" ""

query "Mary Ann"
wait_for "   1 <mary@home.example> | Mary Ann Brown | mary" "   2 <$long> | Mary Ann Brown | mary" ""
wait_for -l "Corvane Address Book: matching addresses"

query work.example
wait_for "   1 <$long> | Mary Ann Brown | mary" \
  "   2 <m.brown@work.example.org> | Michael J Brown | mike" ""

rm "$dir/friends.cvab"
query ann
wait_for -l "The address book $dir/friends.cvab cannot be opened: No such file or directory"
# Only the empty menu, its status bar and that line: nothing written over them.
[ "$(screen | grep -c .)" -eq 2 ] || fail "more on the screen than the status bar and the message"

# No name: the company stands in, so the nickname stays in its own column (a
# client skips an empty column) and the To: line gets a valid name.
printf 'nonick\t\t\t\t\tAcme\t\t\t\t\t\t\t\t\t\tplain@example.org\t\t\t\t\t\n' > "$dir/friends.cvab"
query plain
wait_for "   1 <plain@example.org> | Acme | nonick" ""
"${tmux_[@]}" send-keys -t mutt m
wait_for -l "To: Acme <plain@example.org>"
echo "PASS: NeoMutt's query menu and status line"
