#!/usr/bin/env python3
"""Page turns: from Page Down to the next page on screen, the reader beside a bare QWebEngineView.

    run_pageturn.py [--build DIR] [--turns N] [--runs R] [--program LABEL=PATH ...]
                    [--quiet S] [--gap S] [--timeout S] [--screen WxH] [--json FILE]

Each program runs on a virtual X server of its own (Xvfb and openbox, as the start-up
benchmark has them), maximised, against the sample course served on loopback
(course/serve.py), with a fresh HOME each start.  The reader (DIR/tavrin) turns a page with
Page Down, its >> command, which loads the page's next link; the bare view
(DIR/bench/bareview --turns) loads, on each Page Down, the addresses the reader loaded for
that turn, in the same order: a module's entry, objectives and review pages send the reader
on to their variant for the screen, so those turns load two pages, and the bare view asks
for the second once the first has finished loading, as the reader does.

First an unmeasured recording pass: the reader turns N pages from its start page and the
driver notes what each turn loads ("loaded <url>" lines, which the reader's browser writes as
a mark for the benchmarks with QT_LOGGING_RULES="tavrin.bench.debug=true") and, once the
window has kept still for --quiet seconds, a hash of every pixel of the window; the reader's
history log must then hold exactly those turns.  The bare view does the same over the
reader's addresses.

Then R measured runs: both programs started afresh, and turn by turn, alternating (the order
swapping every turn), the driver's helper (DIR/bench/pixelwatch) sends Page Down through XTEST
and watches the window through the X DAMAGE extension until it holds the pixels recorded for
that turn: the time from the key to that drawing is the turn's time, "painted".  Beside it
"loaded": the time until the driver read the turn's last "loaded" line, which comes when the
last page of the turn has finished loading (before or after it is drawn).  The next key goes
to a program once its turn's loads have all been seen and at least --gap seconds after its
last page was painted.

Prints the medians over all turns, for the turns that load one page and the turns that load
two, each program's ratio to the bare view (of the medians, which the goal uses, and the
median of each turn's ratio to the bare view's same turn), and the load average before and
after.  Goal: the reader's painted median within 1.05x of the bare view's.  A benchmark
reports; it does not fail on the goal.  Exit status 0 once every turn has been measured, 1
when a start or a turn failed or timed out (--timeout seconds each).
"""

import argparse
import json
import os
import statistics
import sys
import tempfile
import time

import turning
from turning import Failure

BARE = "bare view"
GOAL = 1.05


def quantile(values, q):
    values = sorted(values)
    return values[min(len(values) - 1, int(q * len(values)))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog="\n\n".join(__doc__.split("\n\n")[2:]))
    parser.add_argument("--build", default=os.path.join(turning.SOURCE, "build"), help="build folder (default: build)")
    parser.add_argument("--turns", type=int, default=200, help="page turns of each program in a run (default 200)")
    parser.add_argument("--runs", type=int, default=1, help="measured runs, each with fresh starts (default 1)")
    parser.add_argument("--program", action="append", default=[], metavar="LABEL=PATH",
                        help="a reader to measure; may be given more than once (default: reader=BUILD/tavrin)")
    parser.add_argument("--quiet", type=float, default=0.5,
                        help="seconds a window must keep still in the recording pass (default 0.5)")
    parser.add_argument("--gap", type=float, default=0.3,
                        help="least seconds from a program's page painted to its next key (default 0.3)")
    parser.add_argument("--timeout", type=float, default=30.0, help="seconds a start or a turn may take (default 30)")
    parser.add_argument("--screen", default="1280x1024", help="size of the virtual screens (default 1280x1024)")
    parser.add_argument("--json", metavar="FILE", help="also write every turn's times to FILE")
    options = parser.parse_args()
    if options.turns < 1 or options.runs < 1:
        parser.error("--turns and --runs must be at least 1")

    readers = []
    for spec in options.program or [f"reader={os.path.join(options.build, 'tavrin')}"]:
        label, sep, path = spec.partition("=")
        if not sep or not label or label == BARE or label in dict(readers):
            parser.error(f"--program {spec}: expected LABEL=PATH with a label of its own")
        readers.append((label, os.path.abspath(path)))
    bare = os.path.join(options.build, "bench", "bareview")
    watch = os.path.join(options.build, "bench", "pixelwatch")
    turning.check_built([path for _, path in readers] + [bare, watch])

    env = turning.startup.program_env()
    load_before = turning.load_average()
    print(f"load average before: {turning.format_load(load_before)}", file=sys.stderr)
    screens, server, running = {}, None, []
    work = tempfile.TemporaryDirectory(prefix="tavrin-pageturn-")
    results = {}
    try:
        base, server = turning.startup.start_server(options.build, options.timeout)
        env["TAVRIN_COURSE_BASE"] = base
        for label, _ in readers + [(BARE, bare)]:
            screens[label] = turning.Screen(options.screen, env, watch, options.timeout)
        print(f"course at {base}, screens {', '.join(f'{l} {s.display}' for l, s in screens.items())}",
              file=sys.stderr)

        def argv(label, path, start_url):
            if label == BARE:
                return [path, "--turns", turns_file, start_url]
            return [path]

        # The recording pass.
        label, path = readers[0]
        program = turning.start(label, [path], screens[label], options.timeout)
        running.append(program)
        start_url = program.loads[0][1]
        print(f"recording: {label} from {start_url}", file=sys.stderr)

        def progress(label):
            def say(i, loaded):
                if i % 50 == 0 or i == options.turns:
                    names = " ".join(url.rpartition("/")[2] for url in loaded)
                    print(f"recording: {label} turn {i}: {names}", file=sys.stderr)
            return say

        addresses, references = turning.record(program, options.turns, options.quiet, options.timeout,
                                               progress(label))
        turning.check_history(program, start_url, addresses, options.timeout)
        program.stop()
        running.remove(program)
        turns_file = os.path.join(work.name, "turns")
        with open(turns_file, "w") as f:
            f.writelines(" ".join(turn) + "\n" for turn in addresses)
        pixels = {label: references}
        for label, path in readers[1:] + [(BARE, bare)]:
            program = turning.start(label, argv(label, path, start_url), screens[label], options.timeout)
            running.append(program)
            if program.loads[0][1] != start_url:
                raise Failure(f"{label} started on {program.loads[0][1]}, not {start_url}")
            _, pixels[label] = turning.record(program, addresses, options.quiet, options.timeout, progress(label))
            program.stop()
            running.remove(program)
        two = sum(len(turn) > 1 for turn in addresses)
        print(f"recorded {len(addresses)} turns ({two} of them loading two pages)", file=sys.stderr)

        # The measured runs.
        programs = readers + [(BARE, bare)]
        results = {label: [] for label, _ in programs}
        for run in range(options.runs):
            started = turning.start_all(programs, lambda label, path: argv(label, path, start_url), screens, pixels,
                                         running, options.timeout)
            for i, turn in enumerate(addresses):
                shift = (i + run) % len(programs)
                for label, _ in programs[shift:] + programs[:shift]:
                    seconds, loads, sent = turning.turn_page(started[label], screens[label], pixels[label][i + 1],
                                                             turn, i + 1, options.gap, options.timeout)
                    results[label].append({"run": run + 1, "turn": i + 1, "pages": len(turn),
                                           "painted_ms": seconds * 1000, "loaded_ms": (loads[-1][0] - sent) * 1000})
                if (i + 1) % 20 == 0 or i + 1 == len(addresses):
                    line = "  ".join(f"{label} {results[label][-1]['painted_ms']:5.0f} ms" for label, _ in programs)
                    print(f"run {run + 1} turn {i + 1:3}: {line}  (load {os.getloadavg()[0]:.2f})", file=sys.stderr)
            for program in started.values():
                program.stop()
                running.remove(program)
    except (Failure, OSError, ValueError, turning.subprocess.TimeoutExpired) as failure:
        print(f"run_pageturn: {failure}", file=sys.stderr)
        return 1
    finally:
        turning.close_all(running, screens, server, work)
    load_after = turning.load_average()

    if options.json:
        with open(options.json, "w") as f:
            json.dump({"addresses": addresses, "load_before": load_before, "load_after": load_after,
                       "turns": results}, f, indent=1)

    def cells(label, kind):
        rs = [r for r in results[label] if kind(r)]
        bs = [r for r in results[BARE] if kind(r)]
        painted = [r["painted_ms"] for r in rs]
        loaded = [r["loaded_ms"] for r in rs]
        row = [f"{statistics.median(painted):.0f} ms", f"{quantile(painted, 0.1):.0f} ms",
               f"{quantile(painted, 0.9):.0f} ms", f"{max(painted):.0f} ms", "", "",
               f"{statistics.median(loaded):.0f} ms", ""]
        if label != BARE:
            row[4] = f"{statistics.median(painted) / statistics.median(r['painted_ms'] for r in bs):.2f}x"
            row[5] = f"{statistics.median(r['painted_ms'] / b['painted_ms'] for r, b in zip(rs, bs)):.2f}x"
            row[7] = f"{statistics.median(loaded) / statistics.median(r['loaded_ms'] for r in bs):.2f}x"
        return row, len(rs)

    kinds = [("all turns", lambda r: True), ("one page", lambda r: r["pages"] == 1),
             ("two pages", lambda r: r["pages"] > 1)]
    print(f"\n{options.turns} turns of each program in each of {options.runs} run(s), alternating;"
          f" load average before {turning.format_load(load_before)}, after {turning.format_load(load_after)}\n")
    print("| program | turns | painted | 10 % | 90 % | max | / bare view | per turn | loaded | / bare view |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for kind, test in kinds:
        for label, _ in readers + [(BARE, bare)]:
            row, count = cells(label, test)
            if count:
                print(f"| {label} | {kind}: {count} | " + " | ".join(row) + " |")
    print(f"\nPainted: from Page Down sent to the window holding the turn's page as recorded; loaded: to the"
          f" turn's last page finished loading. Goal: the reader's painted median within {GOAL:.2f}x of the bare"
          f" view's (all turns).")
    for label, _ in readers:
        ratio = (statistics.median(r["painted_ms"] for r in results[label])
                 / statistics.median(r["painted_ms"] for r in results[BARE]))
        print(f"{label}: {ratio:.2f}x, goal {'met' if ratio <= GOAL else 'NOT met'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
