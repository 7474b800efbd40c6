#!/usr/bin/python3
"""Reads the edit box of a running Tagloom through the accessibility bus, as a screen reader does.

  atspiruns.py bus            the accessibility bus and its registry answer
  atspiruns.py runs PID NAME  the attribute runs of the text named NAME in the program PID,
                              one line each: start, end, the text (as a Python literal), and
                              the attributes the bus gives, sorted

Exit status: 0 done, 2 the bus does not answer, 3 not there yet (the caller asks again), 1 a
fault in what the bus answered. Every status but 0 says why on standard error.
"""

import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

import pyatspi  # noqa: E402

BUS_TIMEOUT_MS = 10000


def fail(status, message):
    print(message, file=sys.stderr)
    sys.exit(status)


def check_bus():
    """The session bus hands out the accessibility bus, and its registry lists applications."""
    try:
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                  None, GLib.VariantType.new("(s)"), Gio.DBusCallFlags.NONE,
                                  BUS_TIMEOUT_MS, None)
    except GLib.Error as e:
        fail(2, "no accessibility bus from the session bus (at-spi-bus-launcher): " + e.message)
    address = reply.unpack()[0]
    if not address:
        fail(2, "the session bus gave an empty accessibility bus address")
    try:
        a11y = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        a11y.call_sync("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                       "org.freedesktop.DBus.Properties", "Get",
                       GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "ChildCount")),
                       None, Gio.DBusCallFlags.NONE, BUS_TIMEOUT_MS, None)
    except GLib.Error as e:
        fail(2, "the accessibility registry (at-spi2-registryd) on " + address +
             " does not answer: " + e.message)
    return address


def find_text(pid, name):
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.get_process_id() == pid]
    if not apps:
        fail(3, "no application of process %d on the bus yet" % pid)
    todo = list(apps)
    while todo:
        node = todo.pop(0)
        if node.getRole() == pyatspi.ROLE_TEXT and node.name == name:
            return node
        todo.extend(c for c in node if c is not None)
    fail(3, "no text named %r in process %d yet" % (name, pid))


def print_runs(pid, name):
    text = find_text(pid, name).queryText()
    count = text.characterCount
    if count == 0:
        fail(3, "the text %r is empty yet" % name)
    offset = 0
    while offset < count:
        attributes, start, end = text.getAttributeRun(offset, False)
        if not start <= offset < end:
            fail(1, "the run at %d is [%d, %d)" % (offset, start, end))
        print("%d %d %r %s" % (start, end, text.getText(start, end), " ".join(sorted(attributes))))
        offset = end


def main(argv):
    if len(argv) == 2 and argv[1] == "bus":
        print(check_bus())
    elif len(argv) == 4 and argv[1] == "runs":
        check_bus()
        try:
            print_runs(int(argv[2]), argv[3])
        except GLib.Error as e:
            fail(3, "the bus did not answer in time: " + e.message)
    else:
        fail(1, __doc__)


if __name__ == "__main__":
    main(sys.argv)
