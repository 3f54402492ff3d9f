#!/usr/bin/python3
"""Round trips through another vCard implementation, the one the common
servers and clients are built on (Debian's python3-vobject): a generated book
of 300 records with hostile text goes out as vCard 3.0 and 4.0; vobject reads
every value of every card as the record holds it, writes the cards again, and
cvab-convert reads them back into the same book. Cards vobject writes itself
from the records read in equal too. Reading trims a value and puts a lone
second e-mail address, address line or comment into the first of its pair
(cvab-sync puts it back where its record keeps it): the book read back is
compared so.

Usage: vobject_round_trip.py CVAB_CONVERT"""
import random
import subprocess
import sys

try:
    import vobject
except ImportError:
    print("skipped: python3-vobject is not installed (scripts/setup installs it)")
    sys.exit(77)

CONVERT = sys.argv[1]
(NICK, FIRST, MIDDLE, LAST, TITLE, COMPANY, ADDR1, ADDR2, CITY, STATE, ZIP, COUNTRY,
 PHONE, CELL, FAX, EMAIL1, EMAIL2, WEB, COMMENTS, COMMENTS2, BIRTHDAY) = range(21)
PIECES = [",", ";", "\\", ":", '"', "\\n", "\\,", " ", "=", "'", "é", "Ω", "Жук", "日本語",
          "한국", "العربية", "😀", "tel:", "mailto:", "http://h.test/?a=1,2;b", "Ann", "Lee",
          "O'Neil", "=0D=0A", "BEGIN:VCARD", "--", "1990", "x"]
BIRTHDAYS = ["1990-05-01", "--02-29", "2000-12-31", "next spring", ""]


def cut(text, limit=40):
    data = text.encode()[:limit]
    return data.decode(errors="ignore")


def random_record(rnd):
    fields = []
    for field in range(21):
        if rnd.random() < 0.33:
            fields.append("")
        elif rnd.random() < 0.2:
            fields.append(cut(("é" if field % 2 else "a") * 40))
        else:
            fields.append(cut("".join(rnd.choice(PIECES) for _ in range(rnd.randrange(1, 8)))))
    fields[BIRTHDAY] = rnd.choice(BIRTHDAYS)
    if not fields[FIRST].strip():
        fields[FIRST] = "Name%d" % rnd.randrange(1000)
    return fields


def convert(args, data):
    done = subprocess.run([CONVERT] + args, input=data, capture_output=True)
    if done.returncode != 0:
        sys.exit("cvab-convert %s failed: %s" % (" ".join(args), done.stderr.decode()))
    return done.stdout


def book_text(records):
    return "".join("\t".join(r) + "\n" for r in records).encode()


def as_read(record):
    """The record as reading a card gives it back: trimmed, pairs compacted."""
    fields = [f.strip() for f in record]
    for first, second in ((EMAIL1, EMAIL2), (ADDR1, ADDR2), (COMMENTS, COMMENTS2)):
        if not fields[first] and fields[second]:
            fields[first], fields[second] = fields[second], ""
    return fields


def birthday(value, params):
    if "VALUE" in params or not value:
        return value
    if len(value) == 8 and value.isdigit():
        return "%s-%s-%s" % (value[:4], value[4:6], value[6:])
    if len(value) == 6 and value.startswith("--"):
        return "--%s-%s" % (value[2:4], value[4:])
    return value


def check_card(card, record, where):
    """Every value vobject reads of a card is the record's."""
    failures = []

    def expect(name, got, want):
        if got != want:
            failures.append("%s: %s is %r, not %r" % (where, name, got, want))

    expect("FN", bool(card.fn.value.strip()), True)
    name = card.n.value
    expect("N", (name.family, name.given, name.additional), (record[LAST], record[FIRST], record[MIDDLE]))
    contents = card.contents
    simple = {"nickname": NICK, "title": TITLE, "url": WEB}
    for key, field in simple.items():
        expect(key, contents[key][0].value if key in contents else "", record[field])
    expect("org", contents["org"][0].value[0] if "org" in contents else "", record[COMPANY])
    if "adr" in contents:
        adr = contents["adr"][0].value
        street = "\n".join(x for x in (record[ADDR1], record[ADDR2]) if x)
        expect("adr", (adr.street, adr.city, adr.region, adr.code, adr.country),
               (street, record[CITY], record[STATE], record[ZIP], record[COUNTRY]))
    phones = {"voice": "", "cell": "", "fax": ""}
    for tel in contents.get("tel", []):
        phones[tel.params["TYPE"][0].lower()] = tel.value
    expect("tel", (phones["voice"], phones["cell"], phones["fax"]), (record[PHONE], record[CELL], record[FAX]))
    expect("email", [e.value for e in contents.get("email", [])], [x for x in (record[EMAIL1], record[EMAIL2]) if x])
    note = "\n".join(x for x in (record[COMMENTS], record[COMMENTS2]) if x)
    expect("note", contents["note"][0].value if "note" in contents else "", note)
    bday = contents["bday"][0] if "bday" in contents else None
    expect("bday", birthday(bday.value, bday.params) if bday else "", record[BIRTHDAY])
    return failures


def vobject_card(record):
    """The card vobject makes of a record itself."""
    card = vobject.vCard()
    card.add("n").value = vobject.vcard.Name(family=record[LAST], given=record[FIRST],
                                             additional=record[MIDDLE])
    card.add("fn").value = " ".join(x for x in record[FIRST:LAST + 1] if x)
    for key, field in (("nickname", NICK), ("title", TITLE), ("url", WEB), ("bday", BIRTHDAY)):
        if record[field]:
            card.add(key).value = record[field]
    if record[COMPANY]:
        card.add("org").value = [record[COMPANY]]
    if any(record[ADDR1:COUNTRY + 1]):
        card.add("adr").value = vobject.vcard.Address(
            street="\n".join(x for x in (record[ADDR1], record[ADDR2]) if x), city=record[CITY],
            region=record[STATE], code=record[ZIP], country=record[COUNTRY])
    for field, kind in ((PHONE, "VOICE"), (CELL, "CELL"), (FAX, "FAX")):
        if record[field]:
            tel = card.add("tel")
            tel.value = record[field]
            tel.type_param = kind
    for field in (EMAIL1, EMAIL2):
        if record[field]:
            card.add("email").value = record[field]
    note = "\n".join(x for x in (record[COMMENTS], record[COMMENTS2]) if x)
    if note:
        card.add("note").value = note
    return card.serialize()


def compare_books(read, records, what):
    lines = read.decode().split("\n")[:-1]
    failures = []
    if len(lines) != len(records):
        return ["%s: %d records read back, not %d" % (what, len(lines), len(records))]
    for i, (line, record) in enumerate(zip(lines, records)):
        got = line.split("\t")
        want = as_read(record)
        for field in range(21):
            if got[field] != want[field]:
                failures.append("%s: record %d field %d is %r, not %r" % (what, i, field, got[field], want[field]))
    return failures


def main():
    rnd = random.Random(2024)
    records = [random_record(rnd) for _ in range(300)]
    records[0][WEB] = "http://h.test/?a=1,2;b\\c"
    records[1][FAX] = "tel:+1-555-0100"
    records[2][EMAIL1], records[2][EMAIL2] = "", "second@example.org"
    book = book_text(records)
    failures = []
    for version in ("3.0", "4.0"):
        cards = convert(["--from", "book", "--to", "vcard", "--vcard-version", version, "-", "-"], book)
        parsed = list(vobject.readComponents(cards.decode()))
        if len(parsed) != len(records):
            failures.append("%s: vobject read %d cards" % (version, len(parsed)))
            continue
        for i, (card, record) in enumerate(zip(parsed, records)):
            failures += check_card(card, record, "%s card %d" % (version, i))
        again = "".join(card.serialize() for card in parsed).encode()
        read = convert(["--from", "vcard", "--to", "book", "-", "-"], again)
        failures += compare_books(read, records, version + " through vobject")
    written = "".join(vobject_card(r) for r in records).encode()
    read = convert(["--from", "vcard", "--to", "book", "-", "-"], written)
    failures += compare_books(read, records, "cards vobject wrote")
    for failure in failures[:30]:
        print(failure)
    if failures:
        sys.exit("%d values differ" % len(failures))
    print("300 records through vCard 3.0 and 4.0 and vobject: every value equal")


main()
