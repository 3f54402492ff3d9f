#!/usr/bin/python3
"""A screen reader's session with the address book: it reads the accessibility
tree through pyatspi as a reader does and drives the program only through the
keyboard (xdotool) and AT-SPI: the book's window and menus, the table of its
records, a record made in the editor, found through Find, a sort by a column
header's action, the list walked by the keyboard, the Open panel and an
alert's text.

Usage: reader_session.py CVAB FOLDER MODE (see desktop_reader.sh)."""

import os
import subprocess
import sys
import time

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

CVAB, FOLDER, MODE = sys.argv[1], sys.argv[2], sys.argv[3]
FIELDS = ["Nickname", "First Name", "Middle Name", "Last Name", "Title", "Company",
          "Address 1", "Address 2", "City", "State", "Zip/Postal Code", "Country",
          "Phone Number", "Cell Number", "FAX Number", "Email 1", "Email 2", "Web Address",
          "Comments", "Comments 2", "Birthday"]
MENUS = ["File", "Edit", "View", "Search", "Records", "Action", "Info"]


def fail(what):
    print("FAILED:", what)
    print("last heard:", *[e[:4] for e in events[-12:]], sep="\n  ")
    sys.exit(1)


def check(condition, what):
    if not condition:
        fail(what)


# --- the events a reader hears

events = []  # (type, role, name, detail1, any_data)


def heard(event):
    try:
        source = event.source
        events.append((event.type, source.getRoleName(), source.name, event.detail1,
                       event.any_data))
    except Exception:  # the source may be gone already
        pass


def pump(seconds):
    context = GLib.MainContext.default()
    end = time.time() + seconds
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(what, found, timeout=10):
    end = time.time() + timeout
    while time.time() < end:
        pump(0.05)
        result = found()
        if result:
            return result
    fail("no " + what)


def heard_since(start, kind, role=None, name=None):
    return [e for e in events[start:] if e[0].startswith(kind)
            and (role is None or e[1] == role) and (name is None or e[2] == name)]


def focused_since(start):
    return [(e[1], e[2]) for e in events[start:]
            if e[0] == "object:state-changed:focused" and e[3] == 1]


# --- driving

def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)
    pump(0.4)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
    pump(0.3)


def act(accessible, what):
    check(accessible.queryAction().doAction(0), "the action of " + what)
    pump(0.3)


def set_status(property_name):
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                    "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set",
                    "org.a11y.Status", property_name, "<true>"], check=True,
                   stdout=subprocess.DEVNULL)


# --- reading

def children(accessible):
    return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]


def find(accessible, role, name=None, depth=12):
    if accessible is None or depth < 0:
        return None
    if accessible.getRoleName() == role and (name is None or accessible.name == name):
        return accessible
    if accessible.getState().contains(pyatspi.STATE_MANAGES_DESCENDANTS):
        return None
    for child in children(accessible):
        found = find(child, role, name, depth - 1)
        if found is not None:
            return found
    return None


def the_app(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def window(app, name, role=None):
    for child in children(app):
        if child.name == name and (role is None or child.getRoleName() == role):
            return child
    return None


def states(accessible):
    return accessible.getState()


def column_texts(table, column):
    grid = table.queryTable()
    return [grid.getAccessibleAt(row, column).name for row in range(grid.nRows)]


# --- the session

def read_menus(frame):
    bar = find(frame, "menu bar")
    check(bar is not None, "menu bar")
    check([menu.name for menu in children(bar)] == MENUS, "the seven menus")
    file_menu = children(bar)[0]
    items = {item.name: item for item in children(file_menu)}
    check(not states(items["Save this Address Book"]).contains(pyatspi.STATE_ENABLED),
          "Save disabled in a book just read")
    check(states(items["Quit"]).contains(pyatspi.STATE_ENABLED), "Quit enabled")
    binding = items["New Address Book..."].queryAction().getKeyBinding(0)
    check("<Control>n" in binding, "New's shortcut in its key binding: " + binding)
    view = children(bar)[2]
    marks = [item for item in children(view) if item.getRoleName() == "check menu item"]
    check([item.name for item in marks] == FIELDS, "the View menu's field check items")
    check(all(states(item).contains(pyatspi.STATE_CHECKED) for item in marks),
          "every field checked")
    return bar


def read_table(frame, rows):
    table = find(frame, "table")
    check(table is not None, "the record table")
    grid = table.queryTable()
    check(grid.nColumns == len(FIELDS), "a column per field: %d" % grid.nColumns)
    check([grid.getColumnHeader(i).name for i in range(grid.nColumns)] == FIELDS,
          "the field names as column headers")
    check(grid.nRows == len(rows), "a row per record: %d" % grid.nRows)
    for row, texts in enumerate(rows):
        for column, text in enumerate(texts):
            check(grid.getAccessibleAt(row, column).name == text,
                  "cell %d,%d holds %r" % (row, column, text))
    return table


def make_record(app, bar):
    start = len(events)
    records = [m for m in children(bar) if m.name == "Records"][0]
    act(find(records, "menu item", "Make a New Record"), "Make a New Record")
    editor = wait_for("editor", lambda: window(app, "Record Data Entry", "dialog"))
    wait_for("focus on the Nickname field",
             lambda: ("entry", "Nickname") in focused_since(start))
    entry = find(editor, "entry", "Last Name")
    labels = entry.getRelationSet()
    targets = [r.getTarget(0) for r in labels
               if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    check(targets and targets[0].getRoleName() == "label" and targets[0].name == "Last Name",
          "the Last Name field labelled by its label")
    check(len([c for c in children(children(editor)[0]) if c.getRoleName() == "entry"]) == 21,
          "21 fields in the editor")
    typed("dan")
    keys("Tab")
    typed("Dan")
    keys("Tab", "Tab")
    typed("Adams")
    focus = focused_since(start)
    check(("entry", "First Name") in focus and ("entry", "Last Name") in focus,
          "focus events carry the fields' labels: %s" % focus)
    text = find(editor, "entry", "First Name").queryText()
    check(text.getText(0, -1) == "Dan", "the First Name field's text")
    check(heard_since(start, "object:text-changed:insert", "entry", "Last Name"),
          "the text typed was heard")
    keys("Return")
    check(find(editor, "entry", "Nickname").queryText().characterCount == 0,
          "the fields empty after Add")
    keys("Escape")
    wait_for("the editor gone", lambda: window(app, "Record Data Entry") is None)


def find_record(app, table):
    start = len(events)
    keys("ctrl+f")
    wait_for("the Find window", lambda: window(app, "Find", "dialog"))
    wait_for("focus on the search field",
             lambda: ("entry", "Search For") in focused_since(start))
    keys("Tab", "Tab", "Tab")
    focus = focused_since(start)
    check(focus[-3:] == [("push button", "Search"), ("push button", "Cancel"),
                         ("entry", "Search For")], "Tab through Find: %s" % focus)
    typed("adams")
    keys("Return")
    selection = table.querySelection()
    wait_for("the found row selected", lambda: selection.nSelectedChildren == 1)
    row = selection.getSelectedChild(0)
    check(row.getChildAtIndex(0).name == "dan", "the found record's row: %s" % row.name)
    keys("Escape")
    wait_for("Find gone", lambda: window(app, "Find") is None)


def sort_by_header(table):
    start = len(events)
    header = table.queryTable().getColumnHeader(3)
    check(header.name == "Last Name", "the Last Name header")
    act(header, "the Last Name header")
    wait_for("the sorted rows", lambda: column_texts(table, 3) == ["Adams", "Cole", "Lee"])
    pump(0.5)
    # The bridge keeps a managing table's children-changed to itself.
    changed = heard_since(start, "object:model-changed", "table")
    redrawn = heard_since(start, "object:visible-data-changed", "table")
    check(len(changed) == 1 and len(redrawn) == 1,
          "one model-changed and one visible-data-changed: %d, %d"
          % (len(changed), len(redrawn)))
    check(not heard_since(start, "object:children-changed", "table row"),
          "no event for each row")
    check(column_texts(table, 0) == ["dan", "bob", "ann"], "the nicknames in sorted order")


def walk_list(table):
    start = len(events)
    keys("shift+Tab")
    wait_for("focus on the table", lambda: ("table", "") in focused_since(start))
    # The first arrow selects the row the keyboard is on, the second moves on.
    keys("Down", "Down")
    rows = wait_for("the next row as the active descendant", lambda: [
        e for e in heard_since(start, "object:active-descendant-changed", "table")])
    check(rows[-1][4].getIndexInParent() == 1, "the second row active")
    keys("End")
    wait_for("the last row selected",
             lambda: table.querySelection().getSelectedChild(0).getIndexInParent() == 2)


def show_columns(bar, table):
    view = children(bar)[2]
    act(find(view, "menu item", "Name and Phone"), "Name and Phone")
    wait_for("five columns", lambda: table.queryTable().nColumns == 5)
    grid = table.queryTable()
    check([grid.getColumnHeader(i).name for i in range(5)]
          == ["First Name", "Last Name", "Phone Number", "Cell Number", "FAX Number"],
          "the headers of Name and Phone")
    checked = [item.name for item in children(view) if states(item).contains(pyatspi.STATE_CHECKED)]
    check(len(checked) == 5, "five field items checked: %s" % checked)


def open_panel(app):
    start = len(events)
    keys("ctrl+o")
    panel = wait_for("the Open panel", lambda: window(app, "Open", "dialog"))
    wait_for("focus on the folder list",
             lambda: [f for f in focused_since(start) if f[0] in ("list", "table")])
    folders = find(panel, "list")
    check(folders is not None, "the folder list as a list")
    names = [folders.getChildAtIndex(i).name for i in range(folders.childCount)]
    home = os.environ["HOME"]  # where the panel opens first
    shown = [entry + "/" for entry in sorted(os.listdir(home))
             if os.path.isdir(os.path.join(home, entry)) and not entry.startswith(".")]
    check(shown and all(entry in names for entry in shown), "the folder's entries: %s" % names)
    buttons = [b.name for b in children(children(panel)[0]) if b.getRoleName() == "push button"]
    check(sorted(buttons) == ["Cancel", "Open", "Up"], "the panel's buttons: %s" % buttons)
    check(states(find(panel, "push button", "Open")).contains(pyatspi.STATE_IS_DEFAULT),
          "Open the default button")
    keys("Escape")
    wait_for("the panel hidden", lambda: window(app, "Open") is None
             or not states(window(app, "Open")).contains(pyatspi.STATE_SHOWING))


def alert(app):
    start = len(events)
    subprocess.Popen([CVAB, os.path.join(FOLDER, "folder.cvab")],
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    told = wait_for("an alert told", lambda: [
        e for e in heard_since(start, "window:", "alert")
        if e[0] in ("window:create", "window:activate")])
    box = [w for w in children(app) if w.getRoleName() == "alert"]
    check(box, "the alert among the windows")
    text = find(box[0], "label")
    check(text is not None and "could not be opened" in text.name,
          "the alert's text: %s" % (text.name if text else None))
    keys("Return")
    wait_for("the alert gone",
             lambda: not [w for w in children(app) if w.getRoleName() == "alert"])


def main():
    pyatspi.Registry.registerEventListener(
        heard, "object:state-changed:focused", "focus:", "window:create", "window:activate",
        "window:destroy", "object:children-changed", "object:visible-data-changed",
        "object:model-changed",
        "object:active-descendant-changed", "object:text-changed", "object:selection-changed")
    if MODE == "before":
        set_status("IsEnabled")
    out = open(os.path.join(FOLDER, "out"), "w")
    program = subprocess.Popen([CVAB, os.path.join(FOLDER, "book.cvab")], stdout=out,
                               stderr=subprocess.STDOUT)
    if MODE == "after":
        pump(2)
        check(the_app(program.pid) is None, "no objects before a reader wants them")
        set_status("ScreenReaderEnabled")
    app = wait_for("the application on the bus", lambda: the_app(program.pid))
    frame = wait_for("the book's window", lambda: window(app, "book.cvab", "frame"))
    wait_for("the window active", lambda: states(frame).contains(pyatspi.STATE_ACTIVE))
    bar = read_menus(frame)
    table = read_table(frame, [["ann", "Ann", "", "Lee"], ["bob", "Bob", "", "Cole"]])
    make_record(app, bar)
    wait_for("the new record's row", lambda: table.queryTable().nRows == 3)
    find_record(app, table)
    sort_by_header(table)
    walk_list(table)
    show_columns(bar, table)
    open_panel(app)
    alert(app)
    keys("ctrl+q")
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
        fail("the program did not quit")


main()
