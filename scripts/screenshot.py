#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Takes the README's screenshot of the running clock: the real program under a private X server
(with openbox for window frames when it is installed), the example settings, the positions window
and both aspect windows opened from the menus through the accessibility bus.

usage: dbus-run-session -- scripts/screenshot.py build/clock/heliodial docs/clock.png"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "ui"))
from drive_clock import (application, find, press, start_x_server, wait_for,  # noqa: E402
                         window)


def main():
    program, picture = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="heliodial-shot-")
    config = os.path.join(work, "config")
    os.makedirs(config)
    shutil.copy(os.path.join(HERE, "..", "docs", "example-helidial.ini"),
                os.path.join(config, "helidial.ini"))
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    xvfb, display = start_x_server("1280x720x24")
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=config,
               XDG_RUNTIME_DIR=runtime)
    os.environ["DISPLAY"] = display
    if shutil.which("xsetroot"):
        subprocess.run(["xsetroot", "-solid", "#5a6e8c"], env=env, check=False)
    wm = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL) \
        if shutil.which("openbox") else None
    clock = subprocess.Popen([program], env=env)
    try:
        app = application("heliodial")
        frame = window(app, "Heliodial*")
        wait_for("the first chart", lambda: frame.name.startswith("Heliodial ") or None)
        for item, title in (("Positions", "Heliodial Positions"),
                            ("Transits to Transits", "Transiting Aspects"),
                            ("Transits to Natal", "Aspects to Natal")):
            press(find(find(frame, "menu item", "Show"), "menu item", item))
            window(app, title)
        time.sleep(1.5)  # let the window manager draw its frames
        with open(picture, "wb") as out:
            xwd = subprocess.Popen(["xwd", "-root", "-silent"], env=env, stdout=subprocess.PIPE)
            pnm = subprocess.Popen(["xwdtopnm"], stdin=xwd.stdout, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
            subprocess.run(["pnmtopng"], stdin=pnm.stdout, stdout=out, check=True)
        print(f"wrote {picture}")
    finally:
        clock.kill()
        clock.wait()
        if wm:
            wm.terminate()
            wm.wait()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
