#!/usr/bin/python3
"""The real reader as a screen reader meets it, through the accessibility bus (AT-SPI).

    on-x 1280x1024 dbus-run-session -- /usr/bin/python3 test_e2e_accessibility.py BUILD_DIR

Runs on a session bus of its own (dbus-run-session) and an X server with a window manager
(tests/e2e/on-x). It announces a screen reader on the accessibility bus, as one does when it
starts, serves the sample course on loopback, starts the reader (which is told nothing else)
and reads its windows through AT-SPI (pyatspi, which is why it runs on /usr/bin/python3):
- each window of WINDOWS is a frame, every control in it that takes the keyboard (and every
  button) has a name, the main window's find bar's included, and its help picture, once
  shown, has the help's text as its description;
- the course page on show is in the tree, with its heading and its links;
- a search says how many pages it found to the screen reader, on the text box it was typed in.
Each window is reached by the keys a keyboard user presses and left with Esc, which brings the
main window back. Every wait is bounded by the clock; the exit status is 0 when all holds.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import Gio, GLib

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MAIN = "Tavrin"

# The windows checked: the title, and the keys (each with the window it brings up) that reach
# it from the main window.
WINDOWS = [
    (MAIN, []),
    ("Tavrin - Search", [("alt+s", "Tavrin - Search")]),
    ("Tavrin - Index", [("alt+s", "Tavrin - Search"), ("alt+i", "Tavrin - Index")]),
    ("Tavrin - History", [("alt+t", "Tavrin - History")]),
    ("Tavrin - My course", [("ctrl+b", "Tavrin - My course")]),
]

WAIT = 30  # seconds any one state may take to come


class Failure(Exception):
    pass


failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def pump(seconds):
    """Lets the accessibility events of `seconds` arrive."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(condition, what, seconds=WAIT):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = condition()
        except GLib.Error:  # an object that went away while it was read
            found = None
        if found:
            return found
        pump(0.1)
    raise Failure(f"{what}: not within {seconds} s")


def key(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(names), check=True, timeout=WAIT)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True, timeout=WAIT)


# ---- the accessibility tree ------------------------------------------------------------

def children(accessible):
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(accessible):
    for child in children(accessible):
        yield child
        yield from descendants(child)


def has(accessible, state):
    return accessible.getState().contains(state)


def reader_application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in children(desktop) if app.name == MAIN), None)


def showing_frame(title):
    """The reader's top-level window of that title, while it is on screen."""
    app = reader_application()
    if app is None:
        return None
    return next((w for w in children(app) if w.name == title and has(w, pyatspi.STATE_SHOWING)), None)


def image_description(accessible):
    try:
        return accessible.queryImage().imageDescription
    except NotImplementedError:
        return ""


def path_of(accessible):
    parts = []
    while accessible is not None and accessible.getRoleName() != "application":
        parts.append(f"{accessible.getRoleName()} '{accessible.name}'")
        accessible = accessible.parent
    return " < ".join(parts)


# ---- the checks ------------------------------------------------------------------------

def check_window(title):
    frame = wait_for(lambda: showing_frame(title), f"window '{title}' on screen")
    check(frame.getRoleName() == "frame", f"'{title}' is a frame (it is a {frame.getRoleName()})")
    unnamed = [path_of(a) for a in descendants(frame) if has(a, pyatspi.STATE_SHOWING) and not a.name.strip()
               and (has(a, pyatspi.STATE_FOCUSABLE) or a.getRoleName() == "push button")]
    check(not unnamed, f"every control of '{title}' that takes the keyboard, and every button, has a name"
          + ("" if not unnamed else ": unnamed " + "; ".join(unnamed)))

    # The help picture, shown, is read out as the help's text.
    key("alt+h")
    picture = wait_for(lambda: next((a for a in descendants(showing_frame(title))
                                     if a.getRoleName() == "image" and has(a, pyatspi.STATE_SHOWING)), None),
                       f"the help picture of '{title}'")
    description = picture.description or image_description(picture)
    check("Contents" in description and "Alt" in description,
          f"the help picture of '{title}' is described by the help's text ({len(description)} characters)")
    key("Escape")  # puts the picture away; the window stays
    wait_for(lambda: not any(a.getRoleName() == "image" and has(a, pyatspi.STATE_SHOWING)
                             for a in descendants(showing_frame(title))), f"the help picture of '{title}' put away")
    return frame


def check_page(frame):
    document = wait_for(lambda: next((a for a in descendants(frame) if a.getRoleName() == "document web"
                                      and any(True for _ in children(a))), None),
                        "the course page's contents in the main window")
    parts = list(descendants(document))
    headings = [a.name for a in parts if a.getRoleName() == "heading" and a.name.strip()]
    links = [a.name for a in parts if a.getRoleName() == "link" and a.name.strip()]
    check(bool(document.name.strip()), f"the course page is named by its title ('{document.name}')")
    check(bool(headings), f"the course page's headings are in the tree: {headings[:3]}")
    check(len(links) >= 3, f"the course page's links are in the tree: {len(links)}, such as {links[:3]}")


def check_search_is_told():
    """A search says what it found on the text box, which has the keyboard: a screen reader
    presents a change of the focused control's description."""
    told = []

    def on_description(event):
        if event.source is not None and event.source.getRoleName() == "text":
            told.append(event.source.description)

    pyatspi.Registry.registerEventListener(on_description, "object:property-change:accessible-description")
    try:
        type_text("resistor")
        key("Return")
        wait_for(lambda: any(t.startswith("Found:") and t.endswith("pages") for t in told),
                 "the count of found pages told on the search box", 15)
        check(True, f"the search box tells the screen reader what was found: '{told[-1]}'")
    except Failure as failure:
        check(False, str(failure))
    finally:
        pyatspi.Registry.deregisterEventListener(on_description, "object:property-change:accessible-description")


def open_window(steps):
    for keys, title in steps:
        key(keys)
        wait_for(lambda: showing_frame(title), f"'{title}' after {keys}")
        pump(0.5)


def back_to_main():
    key("Escape")
    wait_for(lambda: showing_frame(MAIN), "the main window back after Esc")
    pump(0.5)


# ---- the run ---------------------------------------------------------------------------

def announce_screen_reader():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, WAIT * 1000, None)


def start_server(build):
    server = subprocess.Popen([sys.executable, os.path.join(SOURCE, "course", "serve.py"), "--root",
                               os.path.join(build, "course"), "--port", "0"], stdout=subprocess.PIPE,
                              stdin=subprocess.DEVNULL, text=True)
    return server, server.stdout.readline().strip()


def start_reader(build, base, home):
    env = dict(os.environ, TAVRIN_COURSE_BASE=base, HOME=home, APPDATA=os.path.join(home, "appdata"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"), XDG_CONFIG_HOME=os.path.join(home, "config"),
               TAVRIN_BLOCK_PREFIX=f"a11y{os.getpid()}-",
               QTWEBENGINE_CHROMIUM_FLAGS=os.environ.get("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"))
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", None)  # the reader decides it itself
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    log = open(os.path.join(home, "reader.log"), "wb")
    return subprocess.Popen([os.path.join(build, "tavrin")], env=env, stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT), log


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(10)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(SOURCE, "build"))
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not os.environ.get("DISPLAY"):
        sys.exit("run inside dbus-run-session on an X server (tests/e2e/on-x)")
    announce_screen_reader()
    home = tempfile.mkdtemp(prefix="tavrin-a11y-")
    server, base = start_server(build)
    reader = log = None
    try:
        if not base.startswith("http://"):
            raise Failure("the course server did not start")
        reader, log = start_reader(build, base, home)
        main_frame = wait_for(lambda: showing_frame(MAIN), "the reader's main window in the accessibility tree", 60)
        check_page(main_frame)
        for title, steps in WINDOWS:
            open_window(steps)
            if title == MAIN:
                # The find bar too, with text in it, so that its clear button shows.
                key("ctrl+f")
                type_text("ohm")
                pump(1)
            check_window(title)
            if title == "Tavrin - Search":
                check_search_is_told()
            if title != MAIN:
                back_to_main()
        check(reader.poll() is None, "the reader still runs")
    except (Failure, GLib.Error, subprocess.SubprocessError) as failure:
        check(False, str(failure))
    finally:
        for process in (reader, server):
            if process is not None:
                stop(process)
        if log is not None:
            log.close()
            if failures:
                with open(os.path.join(home, "reader.log"), errors="replace") as f:
                    print("---- the reader's output ----\n" + f.read()[-4000:])
        shutil.rmtree(home, ignore_errors=True)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
