#!/usr/bin/env python3
"""A soak: thousands of page turns in one run of the reader, its memory every hundred turns,
then its processor time while it stands idle.

    run_soak.py [--build DIR] [--turns N] [--every K] [--warm W] [--idle S] [--bare]
                [--program PATH] [--record R] [--gap S] [--time-limit S] [--timeout S] [--json FILE]

The reader runs maximised on a virtual X server (Xvfb and openbox) against the sample course
served on loopback (course/serve.py), with a fresh HOME, and turns N pages with Page Down, its
>> command, round and round the course (from the last module's review page the course goes
back to a start page).  As in run_pageturn.py, an unmeasured recording pass of R turns first
notes what each turn loads and the window's pixels once it has kept still; the course must
come round within those R turns, so that every later turn's page is known.  In the soak each
turn is Page Down sent through XTEST and the wait until the window holds that turn's page
(pixelwatch, through the X DAMAGE extension) and its loads have finished; the next comes --gap
seconds after the page was painted at the earliest.

Every K turns (and at the start) the driver takes each process of the reader's tree from
/proc: the program and its QtWebEngineProcess helpers (renderer, GPU process, utility
processes, zygotes), with PSS split into anonymous memory (heap, caches), file pages (code,
fonts) and shared memory (the buffers the browser and the renderer hand each other), the
pages no other process maps (private), and RSS.  After the last turn the tree stands idle for
--idle seconds and its processor time over that span is taken from /proc/<pid>/stat.

--bare soaks a bare QWebEngineView (bench/bareview --turns) beside it, on an X server of its
own, turn by turn alternating, loading the same addresses: what grows in both is the engine's,
what grows in the reader alone is the program's.

Goals: the tree's PSS after the last turn at most 10 % above its PSS after the first W turns
(200 unless --warm says otherwise), and the idle tree's processor time near zero.  PSS shares
each page among all the processes that map it, so other WebEngine programs on the machine
lower it while they run; "private" does not move with them.  The whole run is bounded by
--time-limit (default 3600 s): when it runs out the turns stop and the report covers what was
done.  A benchmark reports; it does not fail on the goals.  Exit status 0 once every turn
has been made, 1 when a start or a turn failed, or the time ran out.
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
GROWTH_GOAL = 0.10


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().split(b"\0")
    except OSError:
        return []


def kind_of(pid, root, parents):
    """What a process of the tree is. Chromium's helpers say it in --type=; a renderer is
    forked from the zygote and keeps the zygote's command line, so it is told by its parent."""
    if pid == root:
        return "program"
    args = command_line(pid)
    kind = next((a[len(b"--type="):].decode() for a in args if a.startswith(b"--type=")), None)
    if kind is None:
        return os.path.basename(args[0].decode(errors="replace")) if args else "gone"
    if kind == "zygote" and b"--type=zygote" in command_line(parents.get(pid, 0)):
        return "renderer"
    if kind == "utility":
        sub = [a for a in args if a.startswith(b"--utility-sub-type=")]
        if sub:
            return "utility " + sub[0].decode().rpartition(".")[2]
    return {"gpu-process": "gpu"}.get(kind, kind)


def rollup(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            return {line.split(":")[0]: int(line.split()[1]) for line in f if line.split()[-1:] == ["kB"]}
    except (OSError, ValueError, IndexError):
        return None


def memory(program):
    """Each process of the tree: {pid: {kind, Pss, Pss_Anon, Pss_File, Pss_Shmem, Private, Rss}} in kB."""
    root = program.process.pid
    parents = turning.startup.parent_map()
    found = {}
    for pid in program.pids():
        fields = rollup(pid)
        if not fields:
            continue
        found[pid] = {"kind": kind_of(pid, root, parents), "Pss": fields.get("Pss", 0), "Pss_Anon": fields.get("Pss_Anon", 0),
                      "Pss_File": fields.get("Pss_File", 0), "Pss_Shmem": fields.get("Pss_Shmem", 0),
                      "Private": fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0),
                      "Rss": fields.get("Rss", 0)}
    return found


def cpu_ticks(pids):
    return {pid: ticks for pid in pids if (ticks := turning.startup.cpu_ticks(pid)) is not None}


def mib(kb):
    return kb / 1024


def summary(processes):
    """Sums by kind, in MiB."""
    by = {}
    for p in processes.values():
        k = by.setdefault(p["kind"], {"Pss": 0, "Pss_Anon": 0, "Pss_File": 0, "Pss_Shmem": 0, "Private": 0, "Rss": 0,
                                      "count": 0})
        for field in ("Pss", "Pss_Anon", "Pss_File", "Pss_Shmem", "Private", "Rss"):
            k[field] += p[field]
        k["count"] += 1
    return by


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog="\n\n".join(__doc__.split("\n\n")[2:]))
    parser.add_argument("--build", default=os.path.join(turning.SOURCE, "build"), help="build folder (default: build)")
    parser.add_argument("--program", help="the reader (default: BUILD/tavrin)")
    parser.add_argument("--turns", type=int, default=2000, help="page turns (default 2000)")
    parser.add_argument("--every", type=int, default=100, help="turns between memory samples (default 100)")
    parser.add_argument("--warm", type=int, default=200,
                        help="turns after which growth is counted (default 200)")
    parser.add_argument("--idle", type=float, default=20.0, help="seconds of idle after the turns (default 20)")
    parser.add_argument("--record", type=int, default=200,
                        help="turns of the recording pass; the course must come round within them (default 200)")
    parser.add_argument("--bare", action="store_true", help="soak the bare view beside the reader, alternating")
    parser.add_argument("--gap", type=float, default=0.1,
                        help="seconds from a page painted and loaded to the next key (default 0.1)")
    parser.add_argument("--quiet", type=float, default=0.5,
                        help="seconds a window must keep still in the recording pass (default 0.5)")
    parser.add_argument("--time-limit", type=float, default=3600.0, help="seconds the whole run may take (default 3600)")
    parser.add_argument("--timeout", type=float, default=30.0, help="seconds a start or a turn may take (default 30)")
    parser.add_argument("--screen", default="1280x1024", help="size of the virtual screens (default 1280x1024)")
    parser.add_argument("--json", metavar="FILE", help="also write every sample to FILE")
    options = parser.parse_args()
    if options.turns < 1 or options.every < 1 or options.record < 2:
        parser.error("--turns and --every must be at least 1, --record at least 2")
    deadline = time.monotonic() + options.time_limit

    reader = os.path.abspath(options.program or os.path.join(options.build, "tavrin"))
    bare = os.path.join(options.build, "bench", "bareview")
    watch = os.path.join(options.build, "bench", "pixelwatch")
    turning.check_built([reader, bare, watch])
    programs = [("reader", reader)] + ([(BARE, bare)] if options.bare else [])

    env = turning.startup.program_env()
    load_before = turning.load_average()
    print(f"load average before: {turning.format_load(load_before)}", file=sys.stderr)
    screens, server, running = {}, None, []
    work = tempfile.TemporaryDirectory(prefix="tavrin-soak-")
    samples = {label: [] for label, _ in programs}
    idle = {}
    made = 0
    status = 0
    try:
        base, server = turning.startup.start_server(options.build, options.timeout)
        env["TAVRIN_COURSE_BASE"] = base
        for label, _ in programs:
            screens[label] = turning.Screen(options.screen, env, watch, options.timeout)
        turns_file = os.path.join(work.name, "turns")

        def argv(label, path, start_url):
            return [path, "--turns", turns_file, start_url] if label == BARE else [path]

        # The recording pass, and where the course comes round.
        program = turning.start("reader", [reader], screens["reader"], options.timeout)
        running.append(program)
        start_url = program.loads[0][1]
        print(f"recording {options.record} turns from {start_url}", file=sys.stderr)
        addresses, references = turning.record(program, options.record, options.quiet, options.timeout)
        turning.check_history(program, start_url, addresses, options.timeout)
        program.stop()
        running.remove(program)
        ring = turning.period(addresses, references)
        if not ring:
            raise Failure(f"the course does not come round within {options.record} turns; give --record more")
        first, length = ring
        print(f"the course comes round every {length} turns from turn {first + 1}", file=sys.stderr)
        # The bare view's file holds every turn of the soak.
        order = [t if t < len(addresses) else first + (t - first) % length for t in range(options.turns)]
        with open(turns_file, "w") as f:
            f.writelines(" ".join(addresses[m]) + "\n" for m in order)
        pixels = {"reader": references}
        if options.bare:
            with open(os.path.join(work.name, "recording"), "w") as f:
                f.writelines(" ".join(turn) + "\n" for turn in addresses)
            program = turning.start(BARE, [bare, "--turns", f.name, start_url], screens[BARE], options.timeout)
            running.append(program)
            _, pixels[BARE] = turning.record(program, addresses, options.quiet, options.timeout)
            program.stop()
            running.remove(program)

        # The soak.
        started = turning.start_all(programs, lambda label, path: argv(label, path, start_url), screens, pixels,
                                     running, options.timeout)
        times = {label: [] for label, _ in programs}

        def sample(turn):
            for label, program in started.items():
                processes = memory(program)
                recent = times[label][-options.every:]
                samples[label].append({"turn": turn, "seconds": time.monotonic() - deadline + options.time_limit,
                                       "load": os.getloadavg()[0], "processes": processes,
                                       "painted_ms": statistics.median(recent) if recent else None})
                total = sum(p["Pss"] for p in processes.values())
                private = sum(p["Private"] for p in processes.values())
                print(f"turn {turn:5}  {label:9} PSS {mib(total):6.1f} MiB  private {mib(private):6.1f} MiB"
                      f"  in {len(processes)} processes"
                      + (f"  painted {statistics.median(recent):4.0f} ms" if recent else "")
                      + f"  (load {os.getloadavg()[0]:.2f})", file=sys.stderr)

        sample(0)
        for t, m in enumerate(order):
            if time.monotonic() > deadline:
                print(f"run_soak: the time limit ({options.time_limit:.0f} s) ran out after {t} turns",
                      file=sys.stderr)
                status = 1
                break
            shift = t % len(programs)
            for label, _ in programs[shift:] + programs[:shift]:
                seconds, _, _ = turning.turn_page(started[label], screens[label], pixels[label][m + 1],
                                                  addresses[m], t + 1, options.gap, options.timeout)
                times[label].append(seconds * 1000)
            made = t + 1
            if made % options.every == 0 or made == options.turns:
                sample(made)

        # Idle: the tree's processor time while nothing is asked of it.
        tick = os.sysconf("SC_CLK_TCK")
        begin = {label: (time.monotonic(), cpu_ticks(program.pids())) for label, program in started.items()}
        time.sleep(options.idle)
        for label, program in started.items():
            then, ticks = begin[label]
            now = cpu_ticks(program.pids())
            spent = {pid: (now[pid] - ticks.get(pid, 0)) / tick for pid in now}
            seconds = time.monotonic() - then
            kinds = {}
            parents = turning.startup.parent_map()
            for pid, cpu in spent.items():
                kind = kind_of(pid, program.process.pid, parents)
                kinds[kind] = kinds.get(kind, 0) + cpu
            idle[label] = {"seconds": seconds, "cpu": sum(spent.values()), "by_kind": kinds}
            print(f"idle {label}: {sum(spent.values()):.2f} s of processor time in {seconds:.1f} s"
                  f" ({', '.join(f'{k} {v:.2f} s' for k, v in sorted(kinds.items()))})", file=sys.stderr)
        sample_after_idle = {label: memory(program) for label, program in started.items()}
        for program in started.values():
            program.stop()
            running.remove(program)
    except (Failure, OSError, ValueError, turning.subprocess.TimeoutExpired) as failure:
        print(f"run_soak: {failure}", file=sys.stderr)
        status = 1
        sample_after_idle = {}
    finally:
        turning.close_all(running, screens, server, work)
    load_after = turning.load_average()

    if options.json:
        with open(options.json, "w") as f:
            json.dump({"load_before": load_before, "load_after": load_after, "turns_made": made, "samples": samples,
                       "idle": idle, "after_idle": sample_after_idle}, f, indent=1)
    if not any(samples.values()):
        return 1

    print(f"\n{made} turns, a sample every {options.every}; load average before {turning.format_load(load_before)},"
          f" after {turning.format_load(load_after)}. MiB; PSS split into anonymous / file / shared memory.\n")
    for label, _ in programs:
        rows = samples[label]
        if not rows:
            continue
        kinds = sorted({p["kind"] for r in rows for p in r["processes"].values()},
                       key=lambda k: (k != "program", k != "renderer", k != "gpu", k))
        print(f"{label}:\n")
        print("| turn | tree PSS | private | RSS | " + " | ".join(kinds) + " | painted (median of the last turns) |")
        print("|---|---|---|---|" + "---|" * len(kinds) + "---|")
        for r in rows:
            by = summary(r["processes"])
            cells = [str(r["turn"]), f"{mib(sum(p['Pss'] for p in r['processes'].values())):.1f}",
                     f"{mib(sum(p['Private'] for p in r['processes'].values())):.1f}",
                     f"{mib(sum(p['Rss'] for p in r['processes'].values())):.1f}"]
            for kind in kinds:
                k = by.get(kind)
                cells.append("" if not k else f"{mib(k['Pss']):.1f} ({mib(k['Pss_Anon']):.1f} / {mib(k['Pss_File']):.1f}"
                             f" / {mib(k['Pss_Shmem']):.1f})" + (f" ×{k['count']}" if k["count"] > 1 else ""))
            cells.append(f"{r['painted_ms']:.0f} ms" if r["painted_ms"] is not None else "")
            print("| " + " | ".join(cells) + " |")
        warm = [r for r in rows if r["turn"] >= options.warm]
        if warm and warm[-1]["turn"] > warm[0]["turn"]:
            def total(r, field):
                return sum(p[field] for p in r["processes"].values())
            base, last = warm[0], warm[-1]
            growth = total(last, "Pss") / total(base, "Pss") - 1
            peak = max(total(r, "Pss") for r in warm) / total(base, "Pss") - 1
            private = total(last, "Private") / total(base, "Private") - 1
            print(f"\nGrowth from turn {base['turn']} to turn {last['turn']}: PSS {growth * 100:+.1f} %"
                  f" (highest {peak * 100:+.1f} %), private {private * 100:+.1f} %;"
                  f" goal at most {GROWTH_GOAL * 100:.0f} %: {'met' if growth <= GROWTH_GOAL else 'NOT met'}")
        if label in idle:
            i = idle[label]
            print(f"Idle: {i['cpu']:.2f} s of processor time in {i['seconds']:.1f} s"
                  f" ({i['cpu'] / i['seconds'] * 100:.1f} % of one core)")
        print()
    return status


if __name__ == "__main__":
    sys.exit(main())
