#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real clock from outside, as a user with a screen reader would: under a private X
server, through the accessibility bus, it opens every window from the menus, toggles the aspect
list to words, reads the positions table and the wheel's description, and ends the clock with
"Exit clock", which must save the three windows' places; then a panel that comes after the clock
must still get its icon and menu."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

TIMEOUT = 30
SUPPORT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}")


def application(name):
    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name and app.childCount > 0:
                return app
        return None
    return wait_for(f"the application {name} on the accessibility bus", probe)


def find(node, role, name, depth=0):
    """The first descendant with this role and name (a name ending in '*' matches as a prefix)."""
    if depth > 12:
        return None
    for child in node:
        if child is None:
            continue
        matches = child.name.startswith(name[:-1]) if name.endswith("*") else child.name == name
        if child.getRoleName() == role and matches:
            return child
        found = find(child, role, name, depth + 1)
        if found:
            return found
    return None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    raise AssertionError(f"{node.getRoleName()} '{node.name}' cannot be pressed")


def window(app, title):
    def probe():
        for child in app:
            if child is None:
                continue
            matches = child.name.startswith(title[:-1]) if title.endswith("*") else child.name == title
            if matches and child.getState().contains(pyatspi.STATE_SHOWING):
                return child
        return None
    return wait_for(f"the window '{title}'", probe)


def read_line(fd):
    """The X server's display number, read whole: the server ends if the pipe closes mid-line."""
    line = b""
    while not line.endswith(b"\n"):
        chunk = os.read(fd, 16)
        if not chunk:
            break
        line += chunk
    return line.decode().strip()


def start_x_server(screen):
    """A private X server on a free display: the process and its display name."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                               "-nolisten", "tcp"], pass_fds=[write_end],
                              stderr=subprocess.DEVNULL)
    os.close(write_end)
    display = ":" + read_line(read_end)
    os.close(read_end)
    return server, display


STARTED = []


def launch(program, env):
    """A clock, ended by main however the drive ends."""
    STARTED.append(subprocess.Popen([program], env=env))
    return STARTED[-1]


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def saved_place(text):
    """Top and Left of the clock window as Exit saved them (section Show)."""
    show = text.split("[Show]", 1)[1].split("[", 1)[0]
    values = dict(line.split("=", 1) for line in show.split() if "=" in line)
    return int(values["Top"]), int(values["Left"])


def main():
    program = sys.argv[1]
    work = tempfile.mkdtemp(prefix="heliodial-drive-")
    config = os.path.join(work, "config")
    os.makedirs(config)
    with open(os.path.join(config, "helidial.ini"), "w") as f:
        # Greenwich, an orb wide enough that the lists always hold aspects, the classical void.
        f.write("[Place]\nLatD=51\nLatM=28\nNS=1\nEW=1\nManualZone=1\nZoneH=0\nZoneM=0\n"
                "[Custom]\nDegree=6\n[VOC]\nRule=1\n")
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)

    xvfb, display = start_x_server("1280x900x24")

    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=config,
               XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=os.path.join(work, "data"))
    os.environ["DISPLAY"] = display

    def root_property(name):
        return subprocess.run(["xprop", "-root", name], env=env, capture_output=True,
                              text=True).stdout

    wm = None
    try:
        # The server takes clients once its root window answers; on a loaded machine that can be
        # a moment after it names its display.
        wait_for("the X server", lambda: root_property("_NET_SUPPORTING_WM_CHECK") or None)
        # A window manager frames the windows as on a desktop, where a saved place must mean the
        # frame's place, title bar included.
        if shutil.which("openbox"):
            def window_manager():
                # A window manager that could not start (it gives up at once) is started again.
                nonlocal wm
                if wm is None or wm.poll() is not None:
                    wm = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL)
                return root_property("_NET_SUPPORTING_WM_CHECK").count("window id") > 0 or None
            wait_for("the window manager", window_manager)
        drive(program, env, config, launch(program, env))
    finally:
        for clock in STARTED:
            if clock.poll() is None:
                clock.kill()
                clock.wait()
        if wm is not None:
            wm.terminate()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


def drive(program, env, config, clock):
    """The walk through the windows, Exit, three starts and the late panel."""
    app = application("heliodial")
    frame = window(app, "Heliodial*")
    wait_for("the first chart", lambda: frame.name.startswith("Heliodial ") or None)

    wheel = find(frame, "filler", "Horoscope wheel")
    assert wheel is not None, "the wheel is not on the accessibility bus"
    wait_for("the wheel's description",
             lambda: "Ascendant" in (wheel.description or "") or None)

    opened = [("Show", "Positions", "Heliodial Positions"),
              ("Show", "Transits to Natal", "Aspects to Natal"),
              ("Show", "Transits to Transits", "Transiting Aspects"),
              ("Help", "Instructions for use", "Heliodial Help*"),
              ("Help", "More Astrology calculations", "More Astrology calculations"),
              ("Help", "About", "About Heliodial")]
    for menu, item, title in opened:
        node = find(find(frame, "menu item", menu), "menu item", item)
        assert node is not None, f"no menu item {menu} / {item}"
        press(node)
        window(app, title)
        print(f"opened {title} from {menu} / {item}")

    positions = window(app, "Heliodial Positions")
    table = find(positions, "table", "Positions of the planets and the house cusps")
    cell = table.queryTable().getAccessibleAt(1, 1)
    assert cell.name.strip(), "the Sun's position is empty"
    print(f"Sun: {cell.name}")

    transits = window(app, "Transiting Aspects")
    listing = find(transits, "text", "Transiting Aspects")
    before = text_of(listing)
    press(find(transits, "push button", "Toggle glyphs/text"))
    wait_for("the list in words", lambda: text_of(listing) != before or None)
    words = ("conjunct", "opposition", "trine", "square", "sextile", "quincunx", "quintile")
    assert any(word in text_of(listing) for word in words), text_of(listing)
    print("aspect list toggled to words")

    exit_item = find(find(frame, "menu item", "Show"), "menu item", "Exit clock")
    started = time.monotonic()
    press(exit_item)
    status = clock.wait(timeout=TIMEOUT)
    took = time.monotonic() - started
    assert status == 0, f"the clock ended with status {status}"
    # About 0.05-0.15 s here; the bound leaves room for a loaded machine, not for a timeout.
    assert took < 1.0, f"Exit took {took:.2f} s from the menu to the program's end"
    print(f"Exit ended the program in {took:.3f} s")
    with open(os.path.join(config, "helidial.ini")) as f:
        saved = f.read()
    for section in ("[Show]", "[ATN]", "[ATT]"):
        assert section in saved and "Top=" in saved, f"Exit did not save {section}: {saved}"
    print("Exit clock saved the windows and ended the clock")

    # Two starts more: the clock comes back where Exit left it, its title bar on the screen.
    place = saved_place(saved)
    for start in (2, 3):
        clock = launch(program, env)
        frame = window(application("heliodial"), "Heliodial *")
        time.sleep(1)  # the window manager has framed it and the clock has placed it
        press(find(find(frame, "menu item", "Show"), "menu item", "Exit clock"))
        assert clock.wait(timeout=TIMEOUT) == 0
        with open(os.path.join(config, "helidial.ini")) as f:
            again = saved_place(f.read())
        assert again == place and again[0] >= 0, f"start {start}: {again}, was {place}"
    print(f"three starts, the clock stayed at top {place[0]}, left {place[1]}")

    # A panel that starts after the clock, as a session's autostart often has it: its
    # watcher comes 2 s later, and the clock's icon and menu must still reach it.
    clock = launch(program, env)
    window(application("heliodial"), "Heliodial *")
    time.sleep(2)
    host = subprocess.Popen([sys.executable, os.path.join(SUPPORT, "sni_host.py")], env=env,
                            stdout=subprocess.PIPE, text=True)
    try:
        lines = []
        while not any(line.startswith("menu Exit") for line in lines):
            line = wait_for("the panel's report", host.stdout.readline)
            lines.append(line.strip())
        assert any(line.startswith("registered ") for line in lines), lines
        # The Moon's timetable under the classical rule, in the tool tip and atop the menu.
        assert any(line.startswith("tooltip Heliodial | Moon ") for line in lines), lines
        menu = [line for line in lines if line.startswith("menu ")]
        assert menu[0].startswith("menu Moon ") and "(classical)" in menu[1], menu
        print("a panel that came 2 s late got the icon: " + "; ".join(lines[:5]))
    finally:
        host.terminate()
        host.wait()
    frame = window(application("heliodial"), "Heliodial *")
    press(find(find(frame, "menu item", "Show"), "menu item", "Exit clock"))
    assert clock.wait(timeout=TIMEOUT) == 0


if __name__ == "__main__":
    main()
