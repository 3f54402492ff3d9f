#!/usr/bin/env bash
# cvab-sync end to end with real components, on loopback only: a Radicale
# server on a free port (scratch storage, no authentication), vdirsyncer
# between it and a vCard folder, khard reading that folder, cvab-sync between
# the folder and a book, and the address book itself on a private X desktop
# for the edits a user makes in its window. In turn: a 200-record book synced
# up; a phone's card (photo, three numbers, categories) synced down, renamed
# in the window and synced back whole; changes to one contact on both sides;
# deletions each way and against an edit; web addresses with commas through
# an edit by another client on the server; a sync while the window holds
# unsaved changes; and runs killed at random moments.
# Usage: sync_end_to_end.sh CVAB_SYNC CVAB EDIT_BOOK
set -u
sync_tool=$1
cvab=$2
edit_book=$3
started=$SECONDS
. "$(dirname "$0")/../desktop.sh"
for tool in radicale vdirsyncer khard curl python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
start_desktop xdotool
mkdir -p "$dir/run" "$dir/cards" "$dir/storage" "$dir/status" && chmod 700 "$dir/run"
export HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_RUNTIME_DIR=$dir/run \
  XDG_STATE_HOME=$dir/state
book=$dir/people.cvab
cards=$dir/cards
step() { echo "== $* ($((SECONDS - started)) s)"; }

# --- the server, the syncer and the reader

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$dir/radicale.conf" <<EOF
[server]
hosts = 127.0.0.1:$port
[auth]
type = none
[storage]
filesystem_folder = $dir/storage
EOF
radicale --config "$dir/radicale.conf" > "$dir/radicale.log" 2>&1 & pids+=($!)
url=http://127.0.0.1:$port/test/contacts/
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.2; done
curl -sf -X MKCOL "http://127.0.0.1:$port/test/" || fail "Radicale did not start: $(tail -n 3 "$dir/radicale.log")"
curl -sf -X MKCOL "$url" -H 'Content-Type: application/xml' --data '<?xml version="1.0" encoding="utf-8"?>
<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop><D:resourcetype>
<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>' || fail "no address book made"

# The configuration and the service installed as examples, pointed at this
# server and folder.
examples=$(dirname "$0")/../../data/examples
export VDIRSYNCER_CONFIG=$dir/vdirsyncer.conf
sed -e "s|^status_path = .*|status_path = \"$dir/status/\"|" -e "s|^path = .*|path = \"$cards/\"|" \
  -e "s|^url = .*|url = \"$url\"|" -e '/^username =/d' -e '/^password.fetch =/d' \
  "$examples/vdirsyncer.config" > "$VDIRSYNCER_CONFIG"
grep -q '^conflict_resolution = ' "$VDIRSYNCER_CONFIG" || fail "the example sets no conflict resolution"
vdirsyncer discover > "$dir/vdirsyncer.log" 2>&1 || fail "vdirsyncer discover: $(tail -n 3 "$dir/vdirsyncer.log")"
printf '[addressbooks]\n[[contacts]]\npath = %s\n[general]\ndefault_action = list\n' "$cards" \
  > "$dir/khard.conf"

# cvab-sync on the pair; its status in $status, its words in sync.out/sync.err.
cvab_sync() {
  "$sync_tool" "$@" "$book" "$cards" > "$dir/sync.out" 2> "$dir/sync.err"
  status=$?
}
vdir_sync() { vdirsyncer sync >> "$dir/vdirsyncer.log" 2>&1 || fail "vdirsyncer sync: $(tail -n 3 "$dir/vdirsyncer.log")"; }
# What the timer does: server to folder, folder and book, folder to server.
sync_all() {
  vdir_sync
  cvab_sync
  [ "$status" -le "${1:-0}" ] || fail "cvab-sync exit $status: $(cat "$dir/sync.err")"
  vdir_sync
}
# What the example service runs, in its order, with this book and folder.
run_service() {
  local command
  while IFS= read -r command; do
    env CVAB_BOOK="$book" CVAB_CARDS="$cards" PATH="$(dirname "$sync_tool"):$PATH" \
      sh -c "$command" >> "$dir/vdirsyncer.log" 2>&1 || fail "the service's $command failed: $(tail -n 3 "$dir/vdirsyncer.log")"
  done < <(sed -n 's/^ExecStart=//p' "$examples/cvab-sync.service")
}
server_count() { curl -s -X PROPFIND -H 'Depth: 1' "$url" | grep -o '\.vcf</' | wc -l; }
# The server's copy of the card in the folder that holds TEXT.
card_file() { grep -l -- "$1" "$cards"/*.vcf | head -n 1; }
server_card() { curl -sf "$url$(basename "$(card_file "$1")")" | tr -d '\r' | sed -e ':a' -e 'N' -e '$!ba' -e 's/\n //g'; }
put_card() { curl -sf -X PUT -H 'Content-Type: text/vcard' --data-binary @- "$url$1" || fail "PUT $1"; }
# Changes the server's card holding TEXT with a sed script.
edit_server_card() {
  local name
  name=$(basename "$(card_file "$1")")
  curl -sf "$url$name" | sed -e "$2" | put_card "$name"
}
record() { awk -F '\t' -v first="$1" '$2 == first' "$book"; }
field() { record "$1" | cut -f "$(($2 + 1))"; }

# --- 1. a book of 200 records syncs up

step "1. 200 records up"
# Some keep their address, e-mail and comment in the second of two fields,
# and a space at the end of a city: the first sync changes none of them.
awk 'BEGIN { for (i = 1; i <= 200; i++)
  if (i % 25 == 3)
    printf "p%d\tFirst%d\t\tLast%d\t\tAcme\t\t%d Main St\tSpringfield \tIL\t62701\tUSA\t555-%04d\t\t\t\tp%d@example.org\t\t\tsecond\t\n", i, i, i, i, i, i
  else
    printf "p%d\tFirst%d\t\tLast%d\t\tAcme\t%d Main St\t\tSpringfield\tIL\t62701\tUSA\t555-%04d\t\t\tp%d@example.org\t\t\t\t\t\n", i, i, i, i, i, i }' > "$book"
cp "$book" "$dir/book.before"
run_service
cmp -s "$book" "$dir/book.before" || fail "the first sync changed records: $(diff "$dir/book.before" "$book" | head -n 4)"
[ "$(ls "$cards" | wc -l)" -eq 200 ] || fail "the folder holds $(ls "$cards" | wc -l) cards"
[ "$(server_count)" -eq 200 ] || fail "the server holds $(server_count) cards"
[ "$(khard -c "$dir/khard.conf" list --parsable | wc -l)" -eq 200 ] || fail "khard lists $(khard -c "$dir/khard.conf" list --parsable | wc -l)"
khard -c "$dir/khard.conf" list --parsable > "$dir/khard.out" || fail "khard list failed"
grep -q "First17 Last17" "$dir/khard.out" || fail "khard does not list First17"

# --- 2. a phone's card down, renamed in the window, and back up whole

step "2. a phone's card through the window"
photo=$(head -c 900 /dev/urandom | base64 -w 0)
printf 'BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-card-1\r\nN:Quill;Petra;;;\r\nFN:Petra Quill\r\nPHOTO;ENCODING=b;TYPE=JPEG:%s\r\nTEL;TYPE=HOME:+1 555 0100\r\nTEL;TYPE=CELL:+1 555 0101\r\nTEL;TYPE=WORK:+1 555 0102\r\nCATEGORIES:friends,climbing\r\nEND:VCARD\r\n' \
  "$photo" | put_card phone-card-1.vcf
sync_all
[ "$(field Petra 3)" = Quill ] || fail "Petra Quill is not in the book"
[ "$(field Petra 13)" = "+1 555 0101" ] || fail "Petra's cell number is $(field Petra 13)"

start_cvab() {
  "$cvab" "$book" > "$dir/out" 2>&1 & app=$!
  pids+=($app)
  window=$(timeout 10 xdotool search --sync --onlyvisible --name '^people\.cvab$' | head -n 1)
  [ -n "$window" ] || fail "no book window"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT
}
keys() { xdotool key --delay 40 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 30 "$1"; sleep 0.2; }
# Opens the editor on the record the list keys select (Home, End, Down ...).
edit_row() {
  xdotool mousemove $((X + 40)) $((Y + 37 + 6)) click 1; sleep 0.4
  keys "$@" Return
  timeout 5 xdotool search --sync --onlyvisible --name '^Record Data Entry$' > /dev/null \
    || fail "no editor"
  sleep 0.5
}
start_cvab
edit_row End
keys Tab Tab Tab
type_text Quillon
keys Return
keys ctrl+s
keys ctrl+q
wait_exit "$app" "Ctrl+Q" || fail "exit status $?"
[ "$(field Petra 3)" = Quillon ] || fail "the window did not rename Petra: $(record Petra)"
sync_all
card=$(server_card "UID:phone-card-1")
for line in "N:Quillon;Petra;;;" "FN:Petra Quillon" "TEL;TYPE=WORK:+1 555 0102" \
  "CATEGORIES:friends,climbing" "PHOTO;ENCODING=b;TYPE=JPEG:$photo" "VERSION:3.0"; do
  grep -qxF -- "$line" <<< "$card" || fail "the server's card lacks ${line:0:40}: $card"
done

# --- 3. one contact changed on both sides

step "3. both sides"
edit_server_card "FN:First5 Last5" 's/^EMAIL:p5@example.org/EMAIL:five@server.example/'
"$edit_book" "$book" set 1=First5 12=555-5555 || fail "edit_book"
sync_all
[ "$(field First5 15)" = five@server.example ] || fail "the server's change is lost: $(record First5)"
[ "$(field First5 12)" = 555-5555 ] || fail "the book's change is lost: $(record First5)"
server_card "FN:First5 Last5" | grep -q "555-5555" || fail "the book's change did not reach the server"
server_card "FN:First5 Last5" | grep -q "^REV:" || fail "the changed card has no new REV"
edit_server_card "FN:First6 Last6" 's/^ORG:Acme/ORG:Server Inc/'
"$edit_book" "$book" set 1=First6 5="Book Ltd" || fail "edit_book"
sync_all 1
[ "$status" -eq 1 ] || fail "a conflict gave exit $status"
[ "$(field First6 5)" = "Server Inc" ] || fail "the server's value is not kept: $(record First6)"
grep -q 'Book Ltd' "$dir/sync.err" || fail "the conflict is not named: $(cat "$dir/sync.err")"
grep -q '"Company": mine "Book Ltd", theirs "Server Inc"' "$XDG_STATE_HOME/cvab/conflicts.log" \
  || fail "the book's value is not in the conflict log"

# --- 4. deletions each way, and against an edit

step "4. deletions"
curl -sf -o /dev/null -X DELETE "$url$(basename "$(card_file "FN:First10 Last10")")" || fail "DELETE"
"$edit_book" "$book" delete 1=First11 || fail "edit_book"
sync_all
[ -z "$(record First10)" ] || fail "a card deleted on the server stays in the book"
[ "$(server_count)" -eq 199 ] || fail "the server holds $(server_count) cards after two deletions"
curl -s "$url" | grep -q "FN:First11 " && fail "a record deleted in the book stays on the server"
curl -sf -o /dev/null -X DELETE "$url$(basename "$(card_file "FN:First12 Last12")")" || fail "DELETE"
"$edit_book" "$book" set 1=First12 13=777 || fail "edit_book"
sync_all 1
[ "$(field First12 13)" = 777 ] || fail "the edited contact did not come back: $(record First12)"
server_card "FN:First12 Last12" | grep -q "777" || fail "the edited contact is not back on the server"

# --- 7. web addresses with commas, through another client's edit on the server

step "7. web addresses"
# Adds LINE after the FN line of the server's card holding TEXT, as another
# client would (the server parses and stores what it is sent).
add_server_line() {
  local name
  name=$(basename "$(card_file "$1")")
  curl -sf "$url$name" | python3 -c 'import sys
text = sys.stdin.read(); at = text.index("\n", text.index("\nFN:") + 1) + 1
sys.stdout.write(text[:at] + sys.argv[1] + "\r\n" + text[at:])' "$2" | put_card "$name"
}
"$edit_book" "$book" set 1=First7 17='http://h.test/?a=1,2;b' || fail "edit_book"
sync_all
add_server_line "FN:First7 Last7" "TITLE:Boss"
add_server_line "FN:First8 Last8" 'URL:http://h.test/?x=1\,2'
sync_all
[ "$(field First7 4)" = Boss ] || fail "the server's title did not reach the book: $(record First7)"
[ "$(field First7 17)" = 'http://h.test/?a=1,2;b' ] || fail "the web address changed: $(record First7)"
[ "$(field First8 17)" = 'http://h.test/?x=1,2' ] || fail "the server's web address reads $(field First8 17)"

# --- 6. runs killed at random moments

step "6. 50 runs killed"
# The kills fall anywhere in a run: its length is measured on one like them.
"$edit_book" "$book" set 1=First21 14=fax || fail "edit_book"
sed -i "s/^ORG:Acme/ORG:Measured/" "$(card_file "FN:First22 ")"
began=$(date +%s%N)
cvab_sync
span=$(( ($(date +%s%N) - began) / 1000 ))  # microseconds
[ "$status" -eq 0 ] || fail "exit $status: $(cat "$dir/sync.err")"
RANDOM=2026
killed=0
for i in $(seq 50); do
  printf 'BEGIN:VCARD\r\nVERSION:4.0\r\nUID:kill-%d\r\nFN:Kill%d Card\r\nN:Card;Kill%d;;;\r\nEND:VCARD\r\n' \
    "$i" "$i" "$i" > "$cards/kill-$i.vcf"
  "$edit_book" "$book" add 1="Book$i" 3=Added || fail "edit_book"
  "$edit_book" "$book" set 1="First$((30 + i))" 14="fax$i" || fail "edit_book"
  changed=$(card_file "FN:First$((100 + i)) ")
  sed -i "s/^ORG:Acme/ORG:Changed$i/" "$changed"
  moment=$(( (RANDOM * 32768 + RANDOM) % span ))
  "$sync_tool" "$book" "$cards" > /dev/null 2>&1 & victim=$!
  sleep "$(printf '%d.%06d' $((moment / 1000000)) $((moment % 1000000)))"
  kill -9 "$victim" 2>/dev/null
  wait "$victim" 2>/dev/null
  [ $? -eq 137 ] && killed=$((killed + 1))
  cvab_sync
  [ "$status" -le 1 ] || fail "the run after kill $i: exit $status $(cat "$dir/sync.err")"
done
echo "$killed of 50 runs killed before their end (a run takes $((span / 1000)) ms)"
cvab_sync
[ "$status" -eq 0 ] && [ ! -s "$dir/sync.out" ] || fail "not in sync after the kills: $(cat "$dir/sync.out" "$dir/sync.err")"
names=$(cut -f 2,4 "$book" | sort)
[ -z "$(uniq -d <<< "$names")" ] || fail "doubled in the book: $(uniq -d <<< "$names" | head -n 3)"
expected=$((198 + 1 + 50 + 50))
[ "$(wc -l < "$book")" -eq "$expected" ] || fail "the book holds $(wc -l < "$book") records, not $expected"
[ "$(ls "$cards"/*.vcf | wc -l)" -eq "$expected" ] || fail "the folder holds $(ls "$cards"/*.vcf | wc -l) cards"
fns=$(cat "$cards"/*.vcf | tr -d '\r' | grep '^FN:' | sort)
[ -z "$(uniq -d <<< "$fns")" ] || fail "doubled in the folder: $(uniq -d <<< "$fns" | head -n 3)"
for i in 1 25 50; do
  [ "$(field "Kill$i" 3)" = Card ] || fail "Kill$i is not in the book"
  [ "$(field "First$((30 + i))" 14)" = "fax$i" ] || fail "First$((30 + i))'s fax is lost"
  [ "$(field "First$((100 + i))" 5)" = "Changed$i" ] || fail "First$((100 + i))'s company is lost"
  card_file "FN:Book$i Added" > /dev/null || fail "Book$i has no card"
done
vdir_sync
[ "$(server_count)" -eq "$expected" ] || fail "the server holds $(server_count) cards, not $expected"
# --- 5. a sync while the window holds unsaved changes (last: it needs the
# window to merge its save with the book the sync rewrote)

step "5. unsaved changes in the window"
start_cvab
edit_row Home
type_text windowed
keys Return
edit_server_card "FN:First20 Last20" 's/^EMAIL:p20@example.org/EMAIL:twenty@server.example/'
vdir_sync
cvab_sync
[ "$status" -eq 0 ] || fail "cvab-sync beside the window: exit $status $(cat "$dir/sync.err")"
sleep 1
# Closing saves the window's change merged with the book the sync wrote, and
# says so.
keys ctrl+w
timeout 5 xdotool search --sync --onlyvisible --name '^Corvane Address Book LITE$' > /dev/null \
  || fail "closing over the sync's change reported no merge"
sleep 0.4
keys Escape
wait_exit "$app" "Ctrl+W with unsaved changes" || fail "exit status $?"
[ "$(field First1 0)" = windowed ] || fail "the window's change is lost: $(record First1)"
[ "$(field First20 15)" = twenty@server.example ] || fail "the sync's change is lost: $(record First20)"
sync_all
server_card "FN:First1 Last1" | grep -q "NICKNAME:windowed" || fail "the window's change did not reach the server"

echo "sync end to end passed in $((SECONDS - started)) s"
