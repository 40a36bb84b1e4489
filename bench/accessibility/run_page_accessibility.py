#!/usr/bin/env python3
"""What opening the course pages to a screen reader costs: the reader on the largest sample
page, with a screen reader and without, side by side.

    run_page_accessibility.py [--build DIR] [--runs N] [--settle S] [--timeout S] [--screen WxH]

Starts a virtual X server with a window manager and serves a copy of the sample course in
which the start page of every screen class is the largest page of the course (so that the
reader's first page is that page), as bench/startup/run_startup.py does for the start-up.
Two session buses of its own (dbus-daemon): on one a screen reader is announced on the
accessibility bus (org.a11y.Status ScreenReaderEnabled, as a screen reader sets it when it
starts) and a stand-in for it listens to every object, window and focus event through AT-SPI
(pyatspi, on /usr/bin/python3), so that the reader sends them as it would to a real one; the
other bus has nothing on it. The reader is then started N times in each of three ways, the
order rotating from one round to the next, each start with a fresh HOME:

  no screen reader             the plain bus: the reader finds no screen reader
  screen reader, pages closed  the screen reader's bus, QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY=0
                               (the user's own setting keeps the pages closed; the windows'
                               controls are still read)
  screen reader, pages open    the screen reader's bus, nothing set: the reader opens the pages

For each start: the time to the first page (its "loaded" line, as run_startup.py takes it),
the processor time the reader's process tree has used once the page has been on show for
the settle delay, and the memory of the tree then (PSS, and the pages no other process maps).
Prints the medians, the median of each start's ratio to the start without a screen reader of
the same round, and the machine's load before and after the run.
"""

import argparse
import os
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "bench", "startup"))
import run_startup as startup  # noqa: E402

PLAIN = "no screen reader"
CLOSED = "screen reader, pages closed"
OPEN = "screen reader, pages open"
WAYS = [(PLAIN, False, {}), (CLOSED, True, {"QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY": "0"}), (OPEN, True, {})]
# What the reader says it chose, each way (under tavrin.startup): a start that chose otherwise
# measured something else.
CHOSEN = {PLAIN: b"no accessibility bus", CLOSED: b"the course pages are closed", OPEN: b"a screen reader runs"}

# A screen reader's part that costs the reader something: listening to its events.
LISTENER = """
import pyatspi
def heard(event):
    event.source and event.source.name
pyatspi.Registry.registerEventListener(heard, "object", "window", "focus")
print("listening", flush=True)
pyatspi.Registry.start()
"""

TICKS = os.sysconf("SC_CLK_TCK")
# The page's line: the start-up's own lines say "loaded" of the engines' module too.
PAGE_LOADED = re.compile(rb"\bloaded (https?://\S+)")


def cpu_seconds(pids):
    return sum(startup.cpu_ticks(pid) or 0 for pid in pids) / TICKS


def course_with_largest_first(build, root):
    """A copy of the sample course whose start pages are its largest page; that page's name."""
    pages = os.path.join(root, "qx_cbt", "qx2")
    shutil.copytree(os.path.join(build, "course", "qx_cbt"), os.path.join(root, "qx_cbt"))
    names = [n for n in os.listdir(pages) if n.endswith(".qx")]
    largest = max(names, key=lambda n: (os.path.getsize(os.path.join(pages, n)), n))
    for letter in "abcdefg":
        # The largest page in the layout of the class, where the course has it in that layout.
        variant = largest[:-4] + letter + ".qx"
        source = variant if variant in names else largest
        shutil.copyfile(os.path.join(pages, source), os.path.join(pages, f"qx{letter}.qx"))
    return largest, os.path.getsize(os.path.join(pages, largest))


def session_bus(env):
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           start_new_session=True)
    return bus, startup.read_line(bus.stdout, 20, "dbus-daemon")


def announce_screen_reader(env):
    subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:ScreenReaderEnabled",
                    "variant:boolean:true"], env=env, check=True, capture_output=True, timeout=30)
    listener = subprocess.Popen(["/usr/bin/python3", "-c", LISTENER], env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
    if startup.read_line(listener.stdout, 30, "the screen reader's stand-in") != "listening":
        raise startup.Failure("the screen reader's stand-in did not start listening")
    return listener


def measure_once(program, env, timeout, settle, chosen):
    """(seconds to the first page, processor seconds of the tree, its memory in kB: PSS and the
    pages no other process maps, None where the kernel does not tell them)."""
    with tempfile.TemporaryDirectory(prefix="tavrin-a11y-bench-") as home:
        env = startup.home_env(env, home)
        begin = time.monotonic()
        process = subprocess.Popen([program], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, start_new_session=True, bufsize=0)
        fd = process.stderr.fileno()
        output = b""
        pids = [process.pid]
        try:
            while not PAGE_LOADED.search(output):
                left = begin + timeout - time.monotonic()
                if left <= 0 or not select.select([fd], [], [], left)[0]:
                    raise startup.Failure(f"{program}: no first page within {timeout} s")
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise startup.Failure(f"{program}: ended before its first page")
                output += chunk
            seconds = time.monotonic() - begin
            if chosen not in output:
                raise startup.Failure(f"{program}: did not choose as expected ({chosen.decode()})")
            until = time.monotonic() + settle
            while (left := until - time.monotonic()) > 0:
                if select.select([fd], [], [], left)[0] and not os.read(fd, 65536):
                    raise startup.Failure(f"{program}: ended after its first page")
            pids = startup.tree(process.pid)
            sizes = [startup.memory_kb(pid) for pid in pids]
            private = None if any(p is None for _, _, p in sizes) else sum(p for _, _, p in sizes)
            return seconds, cpu_seconds(pids), sum(kb for kb, _, _ in sizes), private
        except startup.Failure as failure:
            raise startup.Failure(f"{failure}\n---- its stderr ----\n{output.decode(errors='replace')[-2000:]}") from None
        finally:
            startup.kill_tree(sorted(set(pids) | set(startup.tree(process.pid))))
            process.wait(5)
            process.stderr.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"), help="build folder (default: build)")
    parser.add_argument("--runs", type=int, default=9, help="measured starts of each way (default 9)")
    parser.add_argument("--settle", type=float, default=5.0,
                        help="seconds the page is on show before processor time and memory are taken (default 5)")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds a start may take (default 60)")
    parser.add_argument("--screen", default="1280x1024", help="size of the virtual screen (default 1280x1024)")
    options = parser.parse_args()
    if options.runs < 1:
        parser.error("--runs must be at least 1")
    program = os.path.join(options.build, "tavrin")
    if not os.access(program, os.X_OK):
        sys.exit(f"{program} is not built")

    env = dict(os.environ)
    for name in ("QT_QPA_PLATFORM", "QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    env.update(QT_LOGGING_RULES="tavrin.browser.debug=true\ntavrin.startup.debug=true", QT_FORCE_STDERR_LOGGING="1",
               QTWEBENGINE_CHROMIUM_FLAGS=env.get("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"))
    if os.geteuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"

    load_before = os.getloadavg()
    helpers = []
    course = tempfile.TemporaryDirectory(prefix="tavrin-a11y-course-")
    try:
        page, size = course_with_largest_first(options.build, course.name)
        display, started = startup.start_display(options.screen, options.timeout)
        helpers += started
        server = subprocess.Popen([sys.executable, os.path.join(SOURCE, "course", "serve.py"), "--root", course.name,
                                   "--port", "0"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, start_new_session=True)
        helpers.insert(0, server)
        base = startup.read_line(server.stdout, options.timeout, "course server")
        env.update(DISPLAY=display, TAVRIN_COURSE_BASE=base)
        buses = {}
        for reader_runs in (False, True):
            bus, address = session_bus(env)
            helpers.insert(0, bus)
            buses[reader_runs] = dict(env, DBUS_SESSION_BUS_ADDRESS=address)
        helpers.insert(0, announce_screen_reader(buses[True]))
        print(f"display {display}, the largest page ({page}, {size} bytes) as the first page, load before"
              f" {load_before[0]:.2f} {load_before[1]:.2f} {load_before[2]:.2f}", file=sys.stderr)

        for label, reader_runs, extra in WAYS:  # unmeasured: warms the disk caches
            measure_once(program, dict(buses[reader_runs], **extra), options.timeout, options.settle, CHOSEN[label])
        results = {label: [] for label, _, _ in WAYS}
        for round in range(options.runs):
            shift = round % len(WAYS)
            for label, reader_runs, extra in WAYS[shift:] + WAYS[:shift]:
                seconds, cpu, kb, private = measure_once(program, dict(buses[reader_runs], **extra),
                                                         options.timeout, options.settle, CHOSEN[label])
                results[label].append((seconds, cpu, kb, private))
                print(f"round {round + 1:2}  {label:28} {seconds * 1000:6.0f} ms  processor {cpu:5.2f} s"
                      f"  {kb / 1024:6.1f} MiB, private {(private or 0) / 1024:6.1f} MiB", file=sys.stderr)
    except (startup.Failure, subprocess.SubprocessError) as failure:
        print(f"run_page_accessibility: {failure}", file=sys.stderr)
        return 1
    finally:
        for helper in helpers:
            startup.stop(helper)
        course.cleanup()
    load_after = os.getloadavg()

    def median(label, i):
        values = [r[i] for r in results[label]]
        return None if None in values else statistics.median(values)

    def per_round(label, i):
        """The median of each start's ratio to the start without a screen reader of its round,
        which ran moments apart on the same machine: steadier than the medians under load."""
        return statistics.median(r[i] / b[i] for r, b in zip(results[label], results[PLAIN]))

    base = [median(PLAIN, i) for i in range(4)]
    sys.stderr.flush()
    print(f"\nThe reader's first page is the largest page of the sample course ({page}, {size} bytes, in the"
          f" layout of the screen class); {options.runs} fresh starts of each way, medians, and the median of"
          f" each start's ratio to the start without a screen reader of its round. Load average (1, 5, 15 min)"
          f" before {load_before[0]:.2f} {load_before[1]:.2f} {load_before[2]:.2f}, after {load_after[0]:.2f}"
          f" {load_after[1]:.2f} {load_after[2]:.2f}. Private: the memory of the reader's processes that no"
          f" other process maps (PSS shares libraries with every other program that maps them).\n")
    print(f"| | first page | per round | processor time, start to {options.settle:g} s after the page | per round"
          f" | memory (PSS) | private | per round |")
    print("|---|---|---|---|---|---|---|---|")
    for label, _, _ in WAYS:
        ms, cpu, kb, private = (median(label, i) for i in range(4))
        private_cells = ["n/a", ""] if private is None or base[3] is None else [
            f"{private / 1024:.1f} MiB", f"{per_round(label, 3):.2f}x"]
        print(f"| {label} | {ms * 1000:.0f} ms | {per_round(label, 0):.2f}x | {cpu:.2f} s | {per_round(label, 1):.2f}x"
              f" | {kb / 1024:.1f} MiB | " + " | ".join(private_cells) + " |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
