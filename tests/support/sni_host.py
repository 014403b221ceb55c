#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in notification area for the tests: the StatusNotifierWatcher of a panel, with a host
registered, on the session bus the environment names. Each item that registers is reported on
standard output as "registered <service> <path>", followed by its tool tip and the labels of its
menu as "tooltip <text>" and "menu <label>" lines, read back over the bus as a panel reads them."""
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
NODE = Gio.DBusNodeInfo.new_for_xml(f"""
<node><interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
</interface></node>""")

items = []


def say(line):
    print(line, flush=True)


def menu_labels(bus, service, path):
    layout = bus.call_sync(service, path, "com.canonical.dbusmenu", "GetLayout",
                           GLib.Variant("(iias)", (0, -1, [])), None,
                           Gio.DBusCallFlags.NONE, 5000, None).unpack()[1]
    labels = []

    def walk(node):
        label = node[1].get("label")
        if label:
            labels.append(label.replace("_", ""))
        for child in node[2]:
            walk(child)
    walk(layout)
    return labels


def describe(bus, service, path):
    def prop(name):
        return bus.call_sync(service, path, "org.freedesktop.DBus.Properties", "Get",
                             GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", name)), None,
                             Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]
    try:
        tip = prop("ToolTip")  # (icon name, icon pixmaps, title, text)
        # Title and text, their lines joined with " | ": one report line.
        say("tooltip " + " | ".join(part for part in (tip[2], tip[3]) if part).replace("\n", " | "))
        for label in menu_labels(bus, service, prop("Menu")):
            say(f"menu {label}")
    except GLib.Error as error:
        say(f"unreadable {error.message}")


def on_call(bus, sender, path, interface, method, args, invocation):
    if method == "RegisterStatusNotifierItem":
        service = args.unpack()[0]
        item_path = "/StatusNotifierItem"
        if service.startswith("/"):  # some register a path on their own connection
            service, item_path = sender, service
        items.append(service)
        invocation.return_value(None)
        say(f"registered {service} {item_path}")
        bus.emit_signal(None, "/StatusNotifierWatcher", WATCHER, "StatusNotifierItemRegistered",
                        GLib.Variant("(s)", (service,)))
        GLib.idle_add(lambda: describe(bus, service, item_path) and False)
    else:
        invocation.return_value(None)


def on_get(bus, sender, path, interface, name):
    if name == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", items)
    if name == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    return GLib.Variant("i", 0)


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.register_object("/StatusNotifierWatcher", NODE.interfaces[0], on_call, on_get, None)
    loop = GLib.MainLoop()

    def acquired(connection, name):
        say("watching")
        connection.emit_signal(None, "/StatusNotifierWatcher", WATCHER,
                               "StatusNotifierHostRegistered", None)

    Gio.bus_own_name_on_connection(bus, WATCHER, Gio.BusNameOwnerFlags.NONE, acquired,
                                   lambda *_: loop.quit())
    loop.run()
    return 1


if __name__ == "__main__":
    sys.exit(main())
