#!/usr/bin/env python3
"""Launcher copies of the reader beside bare Qt programs.

    run_launchers.py [--build DIR] [--runs N] [--timeout S] [--screen WxH]

Starts a virtual X server with openbox and the sample course on loopback (as run_startup.py
does), starts the reader once and waits for its first page, and a stand-in simulator
window ("Ampvale", tests/standin) beside it. Then, N rounds with the order rotating from one
round to the next, it times from start to exit:

  - the bring-forward copy: BUILD/tavrin with no command line, while the reader runs;
  - the exercise copy: BUILD/tavrin lab1.ckt, whose simulator's window is already there;
  - the bare program: BUILD/bench/barewidgets, which makes a QApplication and ends;
  - the floor: xdotool finding the reader's window by its title and activating it.

and, in the same rounds, from start until a window of the process is mapped and until the
picture is asked of the course server (the process is then ended):

  - the popup copy: BUILD/tavrin /POPJPG=c23/pic2301.jpg /W:200 /H:150;
  - the bare view: BUILD/bench/bareview with the picture's address.

Every start gets the same HOME (kept, as on a machine in daily use). Prints the medians,
the ratios and whether the goals are met: the bring-forward and exercise copies no slower
than the bare program; the popup's window mapped within 1.10x of the bare view's, and its
picture asked for no later than the bare view asks for it. Exit status 0 once every start
was measured; 1 when a start failed or took longer than the time-out.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_startup import (SOURCE, Failure, MappedWatch, home_env, kill_tree, read_line, start_display,  # noqa: E402
                         stop, tree)

COPY = "bring-forward copy"
EXERCISE = "exercise copy"
BARE = "bare Qt Widgets program"
FLOOR = "xdotool windowactivate"
POPUP = "popup copy"
BARE_VIEW = "bare view"
PICTURE = "c23/pic2301.jpg"
POPUP_GOAL = 1.10


class CourseServer:
    """The sample course on loopback, noting when each path was first asked for."""

    def __init__(self, build, timeout):
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "course", "serve.py"), "--root", os.path.join(build, "course"),
             "--port", "0", "--verbose"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.PIPE, start_new_session=True)
        self.base = read_line(self.process.stdout, timeout, "course server")
        self.asked = []  # (monotonic time, request line)
        self._lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stderr:
            with self._lock:
                self.asked.append((time.monotonic(), line.decode(errors="replace")))

    def first_asked_after(self, begin, path):
        with self._lock:
            return next((when for when, line in self.asked if when >= begin and f"GET /{path} " in line), None)


def timed(command, env, timeout):
    begin = time.monotonic()
    done = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=timeout)
    seconds = time.monotonic() - begin
    if done.returncode != 0:
        raise Failure(f"{command[0]} ended with {done.returncode}: {done.stderr.decode(errors='replace')[-500:]}")
    return seconds


def shown(command, env, timeout, server, path):
    """(seconds to a mapped window, seconds to `path` asked of the server) of a program that
    stays up; it is ended afterwards."""
    begin = time.monotonic()
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    mapped = MappedWatch(process.pid, env, begin)
    try:
        deadline = begin + timeout
        while (asked := server.first_asked_after(begin, path)) is None:
            if time.monotonic() > deadline or process.poll() is not None:
                raise Failure(f"{command[0]} never asked for {path}")
            time.sleep(0.005)
        window = mapped.result(max(0.0, deadline - time.monotonic()))
        if window is None:
            raise Failure(f"{command[0]} mapped no window")
        return window, asked - begin
    finally:
        mapped.result(0)
        kill_tree(sorted(set(tree(process.pid)) | {process.pid}))
        process.wait(5)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"), help="build folder (default: build)")
    parser.add_argument("--runs", type=int, default=15, help="measured starts of each (default 15)")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds a start may take (default 60)")
    parser.add_argument("--screen", default="1280x1024", help="size of the virtual screen (default 1280x1024)")
    options = parser.parse_args()
    if options.runs < 1:
        parser.error("--runs must be at least 1")
    reader = os.path.join(options.build, "tavrin")
    bare = os.path.join(options.build, "bench", "barewidgets")
    bare_view = os.path.join(options.build, "bench", "bareview")
    standin = os.path.join(options.build, "tests", "standin", "tavrin_standin")
    for path in (reader, bare, bare_view, standin):
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} is not built (cmake --build build --target tavrin barewidgets bareview tavrin_standin"
                     " sample_course)")

    helpers, running = [], []
    with tempfile.TemporaryDirectory(prefix="tavrin-launchers-") as home:
        prefix = f"bench-{os.getpid()}-"
        env = dict(home_env(os.environ, home), TAVRIN_BLOCK_PREFIX=prefix,
                   QTWEBENGINE_CHROMIUM_FLAGS=os.environ.get("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"))
        env.pop("QT_QPA_PLATFORM", None)
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"  # as the reader sets it for itself
        try:
            display, helpers = start_display(options.screen, options.timeout)
            server = CourseServer(options.build, options.timeout)
            helpers.insert(0, server.process)
            env.update(DISPLAY=display, TAVRIN_COURSE_BASE=server.base)
            running.append(subprocess.Popen([reader], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL, start_new_session=True))
            running.append(subprocess.Popen([standin, "ampvale", "--prefix", prefix], env=env,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL, start_new_session=True))
            # The reader answers to its title once its first page has arrived.
            deadline = time.monotonic() + options.timeout
            for title in ("^Tavrin$", "^Ampvale - "):
                while subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=env,
                                     capture_output=True).returncode != 0:
                    if time.monotonic() > deadline or any(p.poll() is not None for p in running):
                        raise Failure(f"no window {title} came up")
                    time.sleep(0.2)

            quick = [(COPY, [reader]), (EXERCISE, [reader, "lab1.ckt"]), (BARE, [bare]),
                     (FLOOR, ["xdotool", "search", "--name", "^Tavrin$", "windowactivate"])]
            lasting = [(POPUP, [reader, f"/POPJPG={PICTURE}", "/W:200", "/H:150"]),
                       (BARE_VIEW, [bare_view, server.base + PICTURE])]
            path = server.base.split("/", 3)[3] + PICTURE  # "qx_cbt/qx2/c23/pic2301.jpg"

            def measure(label, command):
                if label in dict(lasting):
                    return shown(command, env, options.timeout, server, path)
                return timed(command, env, options.timeout)

            programs = quick + lasting
            for label, command in programs:  # warms the disk caches
                measure(label, command)
            results = {label: [] for label, _ in programs}
            for round in range(options.runs):
                shift = round % len(programs)
                for label, command in programs[shift:] + programs[:shift]:
                    results[label].append(measure(label, command))
        except (Failure, subprocess.TimeoutExpired) as failure:
            print(f"run_launchers: {failure}", file=sys.stderr)
            return 1
        finally:
            for process in running + helpers:
                stop(process)

    ms = lambda values: statistics.median(values) * 1000  # noqa: E731
    print(f"\n{options.runs} starts of each, alternating; medians of the time from start to exit\n")
    print("| program | median | min | max | / bare program |")
    print("|---|---|---|---|---|")
    for label, _ in quick:
        times = results[label]
        print(f"| {label} | {ms(times):.0f} ms | {min(times) * 1000:.0f} ms | {max(times) * 1000:.0f} ms"
              f" | {ms(times) / ms(results[BARE]):.2f}x |")
    print("\nmedians of the time from start to a mapped window, and to the picture asked of the server\n")
    print("| program | window mapped | / bare view | picture asked | / bare view |")
    print("|---|---|---|---|---|")
    window = {label: ms([w for w, _ in results[label]]) for label, _ in lasting}
    asked = {label: ms([a for _, a in results[label]]) for label, _ in lasting}
    for label, _ in lasting:
        print(f"| {label} | {window[label]:.0f} ms | {window[label] / window[BARE_VIEW]:.2f}x"
              f" | {asked[label]:.0f} ms | {asked[label] / asked[BARE_VIEW]:.2f}x |")
    goals = [
        ("the bring-forward copy no slower than the bare program", ms(results[COPY]) <= ms(results[BARE])),
        ("the exercise copy no slower than the bare program", ms(results[EXERCISE]) <= ms(results[BARE])),
        (f"the popup's window mapped within {POPUP_GOAL:.2f}x of the bare view's",
         window[POPUP] <= POPUP_GOAL * window[BARE_VIEW]),
        ("the popup's picture asked for no later than the bare view's", asked[POPUP] <= asked[BARE_VIEW]),
    ]
    print()
    for goal, met in goals:
        print(f"Goal: {goal}: {'met' if met else 'NOT met'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
