#!/usr/bin/python3
# Prints the accessible objects of the application with process id PID as a screen reader sees
# them over AT-SPI, one line each: role, name, description, the parent's role and whether it
# has the focus, separated by tabs.
#   atspi_tree.py PID
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

LIMIT = 5000


def walk(node, parent_role, out):
    if len(out) >= LIMIT:
        return
    role = node.get_role_name()
    focused = node.get_state_set().contains(Atspi.StateType.FOCUSED)
    out.append("\t".join([role, node.get_name() or "", node.get_description() or "",
                          parent_role, "focused" if focused else ""]))
    if role == "list" and parent_role == "combo box":
        return  # a box's entries (the hours, the minutes) say nothing new
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, role, out)


def main():
    pid = int(sys.argv[1])
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_process_id() == pid:
            out = []
            walk(app, "", out)
            print("\n".join(out))
            return 0
    print("no application with process id %d" % pid, file=sys.stderr)
    return 1


sys.exit(main())
