#!/usr/bin/env bash
# cvab-lookup --mutt-query beside abook --mutt-query on the same contacts, at
# 10,000 and 100,000 of them, for a narrow query (a couple of records) and a
# broad one (every record, through its e-mail address). One generator writes
# each set both as the address book's file (put through cvab-convert, so that it
# is typed as a saved book is, and made the "book last opened" by one headless
# start of the real program) and as abook's data file. Every run is
# timed from process start to exit with its output going to /dev/null; the runs
# alternate; the script prints each tool's median wall time, its peak resident
# memory (max RSS, from /usr/bin/time: a child of this script would count the
# script's own memory, which its process had before the exec) and the ratios.
# Installs the Debian packages abook and time when missing (apt-get; sudo when not root).
# Usage: mutt_query_vs_abook.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-21}
cvab=$build/app/cvab
lookup=$build/cli/cvab-lookup
convert=$build/cli/cvab-convert
[ -x "$cvab" ] && [ -x "$lookup" ] && [ -x "$convert" ] \
  || { echo "build cvab, cvab-convert and cvab-lookup first ($build)"; exit 1; }
if ! command -v abook >/dev/null || [ ! -x /usr/bin/time ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y abook time >/dev/null
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/run" "$dir/data" "$dir/config" && chmod 700 "$dir/run"
export HOME=$dir XDG_RUNTIME_DIR=$dir/run XDG_DATA_HOME=$dir/data XDG_CONFIG_HOME=$dir/config

python3 - "$runs" "$cvab" "$lookup" "$convert" "$dir" <<'PY'
import os, signal, statistics, subprocess, sys, time

runs, cvab, lookup, convert, folder = sys.argv[1:]
runs = int(runs)
FIRST = "Ann Bob Cleo Dan Eva Finn Gus Hana Ivo Jan Kai Lea Max Nia Oto Pia Raj Sue Tom Uma".split()
LAST = ("Lee Moss Nash Ortiz Park Quinn Reyes Stone Smith Young "
        "Abel Brandt Cruz Dietz Eng Ford Gray Hale Ito Jones").split()

def generate(count):
    """The same contacts as a book file (21 TAB-separated columns) and as abook's file."""
    book, abook = [], ["[format]\nprogram=abook\nversion=0.6.1\n\n"]
    for i in range(count):
        first, last = FIRST[(i * 7) % 20], LAST[(i * 13 + i // 20) % 20]
        nick = f"{first.lower()}{i}"
        email1 = f"{first.lower()}.{last.lower()}{i}@example.org"
        email2 = f"{nick}@work.example.net" if i % 3 == 0 else ""
        fields = [""] * 21
        fields[0:4] = [nick, first, "", last]
        fields[5:13] = ["Acme", f"{i} Main St", "", "Springfield", "IL", "62701", "USA",
                        f"555-{i % 10000:04d}"]
        fields[15:17] = [email1, email2]
        book.append("\t".join(fields) + "\n")
        emails = email1 + ("," + email2 if email2 else "")
        abook.append(f"[{i}]\nname={first} {last}\nemail={emails}\nnick={nick}\n"
                     f"address={i} Main St\ncity=Springfield\nstate=IL\nzip=62701\n"
                     f"country=USA\nphone=555-{i % 10000:04d}\n\n")
    with open(f"{folder}/contacts.tsv", "w") as f:
        f.writelines(book)
    subprocess.run([convert, "--from", "book", "--to", "book", f"{folder}/contacts.tsv",
                    f"{folder}/book-{count}.cvab"], check=True)
    with open(f"{folder}/abook-{count}", "w") as f:
        f.writelines(abook)

def answer_lines(argv):
    out = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return max(out.count(b"\n") - 1, 0)

def make_last_opened(count, probe):
    """One headless start of the address book with the book, until the query reads it."""
    for wait in (1, 2, 4, 8):
        app = subprocess.Popen([cvab, f"{folder}/book-{count}.cvab"], env=dict(os.environ,
            CVAB_BACKEND="headless"), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(wait)
        app.send_signal(signal.SIGTERM)
        app.wait()
        if answer_lines([lookup, "--mutt-query", probe]) > 0:
            return
    sys.exit("the address book did not record the book as last opened")

def timed(argv, null):
    start = time.perf_counter_ns()
    pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=[
        (os.POSIX_SPAWN_DUP2, null, 1), (os.POSIX_SPAWN_DUP2, null, 2)])
    os.waitpid(pid, 0)
    return (time.perf_counter_ns() - start) / 1e6

def peak_rss(argv):
    report = f"{folder}/rss"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + argv,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024

null = os.open(os.devnull, os.O_WRONLY)
print(f"{'contacts':>8} {'query':>6} {'lines':>12} | {'cvab-lookup':>20} | {'abook':>20} | ratio time, rss")
for count in (10000, 100000):
    generate(count)
    narrow = f"{LAST[(4321 * 13 + 4321 // 20) % 20].lower()}4321"
    make_last_opened(count, narrow)
    for label, word in (("narrow", narrow), ("broad", "example")):
        commands = {"cvab": [lookup, "--mutt-query", word],
                    "abook": ["abook", "--datafile", f"{folder}/abook-{count}", "--mutt-query", word]}
        lines = {name: answer_lines(argv) for name, argv in commands.items()}
        times = {name: [] for name in commands}
        rss = {name: 0.0 for name in commands}
        for _ in range(runs):
            for name, argv in commands.items():
                times[name].append(timed(argv, null))
        for _ in range(3):
            for name, argv in commands.items():
                rss[name] = max(rss[name], peak_rss(argv))
        median = {name: statistics.median(t) for name, t in times.items()}
        cells = {name: f"{median[name]:8.2f} ms {rss[name]:6.1f} MiB" for name in commands}
        print(f"{count:>8} {label:>6} {lines['cvab']:>5} /{lines['abook']:>5} | {cells['cvab']:>20} | "
              f"{cells['abook']:>20} | {median['cvab'] / median['abook']:.2f}x, "
              f"{rss['cvab'] / rss['abook']:.2f}x")
print(f"(median wall time of {runs} runs each; the largest max RSS of 3 more runs each;"
      " lines: answer lines of each)")
PY
