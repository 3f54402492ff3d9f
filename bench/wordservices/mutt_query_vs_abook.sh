#!/usr/bin/env bash
# cvab-lookup --mutt-query beside abook --mutt-query on the same 10,000 contacts,
# each timed from process start to exit. One generated book is written both as
# the address book's file (made the "book last opened" by one headless start of
# the real program) and as abook's data file; every run's output goes to
# /dev/null, the runs alternate, and the script prints both medians and their
# ratio. Installs the Debian package abook when it is missing (apt-get; sudo
# when not root).
# Usage: mutt_query_vs_abook.sh [BUILD_DIR] [RUNS] [WORD]
set -euo pipefail
build=${1:-build}
runs=${2:-51}
word=${3:-smith}
cvab=$build/app/cvab
lookup=$build/cli/cvab-lookup
[ -x "$cvab" ] && [ -x "$lookup" ] || { echo "build cvab and cvab-lookup first ($build)"; exit 1; }
if ! command -v abook >/dev/null; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y abook >/dev/null
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/run" "$dir/data" "$dir/config" && chmod 700 "$dir/run"
export HOME=$dir XDG_RUNTIME_DIR=$dir/run XDG_DATA_HOME=$dir/data XDG_CONFIG_HOME=$dir/config

# One generated book: nickname, first, last, company, address, city, state,
# zip, country, phone, e-mail.
awk 'BEGIN { srand(11);
  split("Ann Bob Cleo Dan Eva Finn Gus Hana Ivo Jan", first, " ");
  split("Lee Moss Nash Ortiz Park Quinn Reyes Stone Smith Young", last, " ");
  for (i = 0; i < 10000; i++) {
    f = first[int(rand() * 10) + 1]; l = last[int(rand() * 10) + 1];
    printf "%s%d\t%s\t%s\t%s%d\t%s%d@example.org\n", tolower(f), i, f, l, tolower(l), i, tolower(f), i } }' > "$dir/contacts.tsv"
awk -F '\t' '{ printf "%s\t%s\t\t%s\t\tAcme\t%d Main St\t\tSpringfield\tIL\t62701\tUSA\t555-%04d\t\t\t%s\t\t\t\t\t\n", $1, $2, $3, NR, NR % 10000, $5 }' \
  "$dir/contacts.tsv" > "$dir/book.cvab"
{
  printf '[format]\nprogram=abook\nversion=0.6.1\n\n'
  awk -F '\t' '{ printf "[%d]\nname=%s %s\nemail=%s\nnick=%s\naddress=%d Main St\ncity=Springfield\nstate=IL\nzip=62701\ncountry=USA\nphone=555-%04d\n\n", NR - 1, $2, $3, $5, $1, NR, NR % 10000 }' "$dir/contacts.tsv"
} > "$dir/addressbook"

# The address book once, headless, so that the book is the one last opened.
CVAB_BACKEND=headless "$cvab" "$dir/book.cvab" >/dev/null 2>&1 & app=$!
sleep 2; kill -TERM $app; wait $app || true
"$lookup" --mutt-query "$word" > "$dir/cvab.out" || { echo "cvab-lookup found nothing"; exit 1; }
abook --datafile "$dir/addressbook" --mutt-query "$word" > "$dir/abook.out" || true
echo "matches: cvab-lookup $(($(wc -l < "$dir/cvab.out") - 1)), abook $(($(wc -l < "$dir/abook.out") - 1))"

python3 - "$runs" "$lookup" "$word" "$dir/addressbook" <<'PY'
import os, statistics, subprocess, sys, time
runs, lookup, word, data = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
commands = {
    "cvab-lookup": [lookup, "--mutt-query", word],
    "abook": ["abook", "--datafile", data, "--mutt-query", word],
}
times = {name: [] for name in commands}
null = os.open(os.devnull, os.O_WRONLY)
for _ in range(runs):
    for name, argv in commands.items():
        start = time.perf_counter_ns()
        pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=[
            (os.POSIX_SPAWN_DUP2, null, 1), (os.POSIX_SPAWN_DUP2, null, 2)])
        os.waitpid(pid, 0)
        times[name].append((time.perf_counter_ns() - start) / 1e6)
medians = {name: statistics.median(t) for name, t in times.items()}
for name, m in medians.items():
    print(f"{name:12s} median {m:7.2f} ms over {runs} runs (min {min(times[name]):.2f}, max {max(times[name]):.2f})")
print(f"ratio cvab-lookup / abook: {medians['cvab-lookup'] / medians['abook']:.2f}")
PY
