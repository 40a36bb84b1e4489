#!/usr/bin/env python3
"""A launcher copy that brings the running reader forward, beside a bare Qt Widgets program.

    run_launchers.py [--build DIR] [--runs N] [--timeout S] [--screen WxH]

Starts a virtual X server with openbox and the sample course on loopback (as run_startup.py
does), starts the reader once and waits for its first page, and then, N rounds with the order
rotating from one round to the next, times from start to exit:

  - the bring-forward copy: BUILD/tavrin with no command line, while the reader runs;
  - the bare program: BUILD/bench/barewidgets, which makes a QApplication and ends;
  - the floor: xdotool finding the reader's window by its title and activating it.

Prints the medians, each one's ratio to the bare program's, and whether the goal is met: the
bring-forward copy no slower than the bare program. Exit status 0 once every start was
measured; 1 when a start failed or took longer than the time-out.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_startup import SOURCE, Failure, start_display, start_server, stop  # noqa: E402

COPY = "bring-forward copy"
BARE = "bare Qt Widgets program"
FLOOR = "xdotool windowactivate"


def timed(command, env, timeout):
    begin = time.monotonic()
    done = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, timeout=timeout)
    seconds = time.monotonic() - begin
    if done.returncode != 0:
        raise Failure(f"{command[0]} ended with {done.returncode}: {done.stderr.decode(errors='replace')[-500:]}")
    return seconds


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
    for path in (reader, bare):
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} is not built (cmake --build build --target tavrin barewidgets sample_course)")

    helpers, running = [], None
    with tempfile.TemporaryDirectory(prefix="tavrin-launchers-") as home:
        run = os.path.join(home, "run")
        os.mkdir(run, 0o700)
        env = dict(os.environ, HOME=home, APPDATA=os.path.join(home, "appdata"), XDG_RUNTIME_DIR=run,
                   TAVRIN_BLOCK_PREFIX=f"bench-{os.getpid()}-",
                   QTWEBENGINE_CHROMIUM_FLAGS=os.environ.get("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"))
        env.pop("QT_QPA_PLATFORM", None)
        try:
            display, helpers = start_display(options.screen, options.timeout)
            base, server = start_server(options.build, options.timeout)
            helpers.insert(0, server)
            env.update(DISPLAY=display, TAVRIN_COURSE_BASE=base)
            running = subprocess.Popen([reader], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
            # The reader answers to its title once its first page has arrived.
            deadline = time.monotonic() + options.timeout
            while subprocess.run(["xdotool", "search", "--name", "^Tavrin$"], env=env,
                                 capture_output=True).returncode != 0:
                if time.monotonic() > deadline or running.poll() is not None:
                    raise Failure("the reader did not show its first page")
                time.sleep(0.2)

            programs = [(COPY, [reader]), (BARE, [bare]),
                        (FLOOR, ["xdotool", "search", "--name", "^Tavrin$", "windowactivate"])]
            for _, command in programs:  # warms the disk caches
                timed(command, env, options.timeout)
            results = {label: [] for label, _ in programs}
            for round in range(options.runs):
                shift = round % len(programs)
                for label, command in programs[shift:] + programs[:shift]:
                    results[label].append(timed(command, env, options.timeout))
        except (Failure, subprocess.TimeoutExpired) as failure:
            print(f"run_launchers: {failure}", file=sys.stderr)
            return 1
        finally:
            if running:
                stop(running)
            for helper in helpers:
                stop(helper)

    medians = {label: statistics.median(times) * 1000 for label, times in results.items()}
    print(f"\n{options.runs} starts of each, alternating; medians of the time from start to exit\n")
    print("| program | median | min | max | / bare program |")
    print("|---|---|---|---|---|")
    for label, times in results.items():
        print(f"| {label} | {medians[label]:.0f} ms | {min(times) * 1000:.0f} ms | {max(times) * 1000:.0f} ms"
              f" | {medians[label] / medians[BARE]:.2f}x |")
    met = medians[COPY] <= medians[BARE]
    print(f"\nGoal: the bring-forward copy no slower than the bare program: {'met' if met else 'NOT met'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
