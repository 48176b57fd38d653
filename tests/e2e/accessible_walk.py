#!/usr/bin/python3
"""What a screen reader finds in the program's windows, through the real AT-SPI bus.

    accessible_walk.py PID REPORT WINDOW_TITLE_PREFIX...

Walks the accessibility tree of every window of the application with process id PID whose
title starts with one of the prefixes, writes each control (role, name, states) to REPORT, and
ends with status 1 when a control that can take the keyboard focus has no name, or when a
window named on the command line is not found. Status 2: the application is not on the bus.
"""
import sys
import time

import pyatspi

# A window of thousands of rows is no reason to walk for minutes: the walk stops this deep and
# reads at most this many children of one control (the rows of a list repeat their kind).
MAX_DEPTH = 40
MAX_CHILDREN = 200


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application that left the bus while we asked
            continue
    return None


def walk(node, depth, lines, unnamed, path):
    try:
        role = node.getRoleName()
        name = node.name or ""
        states = node.getState()
    except Exception as error:  # a control that went away meanwhile
        lines.append("  " * depth + "(gone: %s)" % error)
        return
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    flags = [s for s, on in (("focusable", focusable),
                             ("showing", states.contains(pyatspi.STATE_SHOWING)),
                             ("focused", states.contains(pyatspi.STATE_FOCUSED)))
             if on]
    lines.append("%s%s %r [%s]" % ("  " * depth, role, name, " ".join(flags)))
    here = path + ["%s %r" % (role, name)]
    if focusable and not name.strip():
        unnamed.append(" > ".join(here))
    if depth >= MAX_DEPTH:
        return
    try:
        count = min(node.childCount, MAX_CHILDREN)
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            walk(child, depth + 1, lines, unnamed, here)


def main():
    pid = int(sys.argv[1])
    report = sys.argv[2]
    wanted = sys.argv[3:]
    app = None
    for _ in range(100):  # the program joins the bus a moment after it starts
        app = find_application(pid)
        if app is not None:
            break
        time.sleep(0.2)
    if app is None:
        print("the program is not on the accessibility bus", file=sys.stderr)
        return 2

    lines, unnamed, found = [], [], set()
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is None:
            continue
        title = window.name or ""
        matches = [prefix for prefix in wanted if title.startswith(prefix)]
        if not matches:
            continue
        found.update(matches)
        walk(window, 0, lines, unnamed, [])
    with open(report, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")

    missing = [prefix for prefix in wanted if prefix not in found]
    for prefix in missing:
        print("no window titled %r" % prefix, file=sys.stderr)
    for control in unnamed:
        print("focusable without a name: %s" % control, file=sys.stderr)
    print("%d controls read, %d focusable without a name" % (len(lines), len(unnamed)))
    return 1 if missing or unnamed else 0


if __name__ == "__main__":
    sys.exit(main())
