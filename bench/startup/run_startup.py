#!/usr/bin/env python3
"""Start-up to the first course page: the reader beside a bare QWebEngineView.

    run_startup.py [--build DIR] [--runs N] [--settle S] [--program LABEL=PATH ...]
                   [--bare-load-first] [--keep-home] [--timeout S] [--screen WxH]

Starts a virtual X server with a window manager (Xvfb and openbox, on a free display),
serves the sample course on loopback (course/serve.py), and then starts the programs in
turn, N fresh starts each, the order rotating from one round to the next.  Every start
gets its own empty HOME, APPDATA and XDG_RUNTIME_DIR, and XDG_CACHE_HOME, XDG_CONFIG_HOME
and XDG_DATA_HOME inside that HOME (so that no cache of the person running it, such as
GStreamer's plugin registry, is kept by accident).  With --keep-home each program keeps
one HOME of its own over all its starts instead, as on a machine in daily use.

Window mapped: wall time from the start of the process until a window of it is mapped
(seen by polling the X server every 10 ms, so within about 10 ms).

Time to the first page: wall time from the start of the process to the moment its
"loaded <url>" line arrives on stderr (the reader writes it as a mark for the benchmarks,
under a category of its own, with QT_LOGGING_RULES="tavrin.bench.debug=true"; the bare
view always).  Memory: PSS (RSS where the kernel has no smaps_rollup) summed over the
process and all its descendants (the QtWebEngineProcess helpers), taken once the page has
been on show for the settle delay.  PSS shares a page among all the processes that map it, other programs on the
machine included (another WebEngine program lowers it), so the private pages of the tree
are shown beside it.  At the same moment the driver asks the window manager whether the
program's window is up and maximised: a window that never came up loads faster than one
that did.  The process tree is then killed and the next start waits until it is gone.

The programs are by default the reader (DIR/tavrin) and the bare view
(DIR/bench/bareview); --program replaces the reader, and may be given more than once,
e.g. with older builds of the reader copied aside, so that they are measured side by side
in one run.  --bare-load-first adds the bare view in its other order (page asked for
before the window is shown).  The bare view always runs and learns the start page's
address from a first, unmeasured start of the first reader; each program gets one
unmeasured start to warm the disk caches.

Prints the medians, each program's ratio to the bare view (of the medians, which the goals
use, and the median of its ratios to the bare view's start of the same round) and whether
it meets the goals: first page within 1.10x of the bare view's time (1.05x with
--keep-home), its window mapped within 1.10x of the bare view's, memory within 5 % of the
bare view's, its window maximised in every start.
Exit status 0 once every start has been measured; 1 when a start failed or timed out.
"""

import argparse
import collections
import os
import re
import select
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BARE = "bare view"
BARE_LOAD_FIRST = "bare view, load first"
TIME_GOAL = 1.10
TIME_GOAL_KEPT_HOME = 1.05
MAPPED_GOAL = 1.10
MEMORY_GOAL = 1.05
# The reader's mark (under tavrin.bench, whatever its other lines say) or the bare view's line.
LOADED = re.compile(rb"^(?:tavrin\.bench: )?loaded (\S+)", re.M)


class Failure(Exception):
    pass


# One measured start. kb: PSS (or RSS) summed over the process tree; private_kb: the pages
# no other process maps, summed the same way (None without smaps_rollup).
Start = collections.namedtuple("Start", "seconds mapped url kb private_kb processes kind maximised")


def read_line(stream, timeout, what):
    """The first line of a pipe, waiting at most `timeout` seconds."""
    fd = stream.fileno()
    data = b""
    deadline = time.monotonic() + timeout
    while b"\n" not in data:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise Failure(f"{what}: nothing within {timeout} s")
        chunk = os.read(fd, 4096)
        if not chunk:
            raise Failure(f"{what}: ended before saying anything")
        data += chunk
    return data.split(b"\n", 1)[0].decode().strip()


def stop(process, timeout=5):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout)


# ---- processes and their memory ------------------------------------------------------

def stat_fields(pid):
    """The fields of /proc/PID/stat after the process's name (state first), or None once it has gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            stat = f.read()
    except OSError:
        return None
    # The name in parentheses may hold spaces; the fields after it do not.
    return stat[stat.rfind(b")") + 2:].split()


def cpu_ticks(pid):
    """Clock ticks of processor time (user and system) the process has used; None once it has gone."""
    fields = stat_fields(pid)
    return int(fields[11]) + int(fields[12]) if fields else None


def parent_map():
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit() and (fields := stat_fields(entry)):
            parents[int(entry)] = int(fields[1])
    return parents


def tree(root):
    """The process and all its living descendants."""
    children = {}
    for pid, parent in parent_map().items():
        children.setdefault(parent, []).append(pid)
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def alive(pid):
    fields = stat_fields(pid)
    return bool(fields) and fields[0] != b"Z"


def memory_kb(pid):
    """(PSS of one process in kB, "Pss", private kB) from smaps_rollup, or (RSS, "Rss", None)
    where there is none; zeros once the process is gone."""
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            fields = {line.split(":")[0]: int(line.split()[1]) for line in f if line.split()[-1:] == ["kB"]}
        return fields["Pss"], "Pss", fields["Private_Clean"] + fields["Private_Dirty"]
    except (OSError, KeyError):
        pass
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]), "Rss", None
    except OSError:
        pass
    return 0, "", 0


def maximised_window(pids, env):
    """Whether one of the processes has a window that the window manager shows maximised."""
    def prop(*args):
        return subprocess.run(["xprop"] + list(args), env=env, capture_output=True, text=True, timeout=10).stdout
    for window in re.findall(r"0x[0-9a-f]+", prop("-root", "_NET_CLIENT_LIST").partition(":")[2]):
        props = prop("-id", window, "_NET_WM_PID", "_NET_WM_STATE", "WM_STATE")
        pid = re.search(r"_NET_WM_PID\(CARDINAL\) = (\d+)", props)
        if (pid and int(pid.group(1)) in pids and "window state: Normal" in props
                and "_NET_WM_STATE_MAXIMIZED_VERT" in props and "_NET_WM_STATE_MAXIMIZED_HORZ" in props):
            return True
    return False


def kill_tree(pids, timeout=10):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass
    deadline = time.monotonic() + timeout
    while any(alive(pid) for pid in pids):
        if time.monotonic() > deadline:
            raise Failure(f"processes {[p for p in pids if alive(p)]} outlived SIGKILL")
        time.sleep(0.05)


# ---- one start -----------------------------------------------------------------------

class MappedWatch:
    """Polls the X server, in a thread, for the first mapped window of a process."""

    def __init__(self, pid, env, begin):
        self.seconds = None
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, args=(pid, env, begin), daemon=True)
        self._thread.start()

    def _watch(self, pid, env, begin):
        while not self._stop.is_set():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], env=env,
                                   capture_output=True).returncode == 0
            if found:
                self.seconds = time.monotonic() - begin
                return
            self._stop.wait(0.01)

    def result(self, timeout):
        self._thread.join(timeout)
        self._stop.set()
        return self.seconds


def program_env():
    """The environment the measured programs run in: real X11 windows, the benchmarks' mark on."""
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)  # real X11 windows
    env.update(QT_LOGGING_RULES="tavrin.bench.debug=true", QT_FORCE_STDERR_LOGGING="1",
               QTWEBENGINE_CHROMIUM_FLAGS=env.get("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"))
    if os.geteuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"  # as the reader sets it for itself
    return env


def home_env(env, home):
    """The environment of a program whose HOME, and everything kept under it, is `home`."""
    run = os.path.join(home, "run")
    os.makedirs(run, 0o700, exist_ok=True)
    return dict(env, HOME=home, APPDATA=os.path.join(home, "appdata"), XDG_RUNTIME_DIR=run,
                XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_CONFIG_HOME=os.path.join(home, ".config"),
                XDG_DATA_HOME=os.path.join(home, ".local", "share"))


def start_once(program, args, env, timeout, settle, home=None):
    """A Start: the time to the first page and its address, the time to its window mapped,
    and, once the page has been on show for `settle` seconds, the memory of the process tree
    and whether the window is up maximised. A fresh HOME unless `home` is given."""
    with tempfile.TemporaryDirectory(prefix="tavrin-startup-") as fresh:
        env = home_env(env, home or fresh)
        begin = time.monotonic()
        process = subprocess.Popen([program] + args, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   start_new_session=True, bufsize=0)
        mapped = MappedWatch(process.pid, env, begin)
        fd = process.stderr.fileno()
        output = b""
        pids = [process.pid]
        try:
            deadline = begin + timeout
            match = None
            while not match:
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([fd], [], [], left)[0]:
                    raise Failure(f"{program}: no first page within {timeout} s")
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise Failure(f"{program}: ended before its first page")
                output += chunk
                match = LOADED.search(output)
            seconds = time.monotonic() - begin
            # Keep reading while the page settles, so that the program never waits on the pipe.
            until = time.monotonic() + settle
            while (left := until - time.monotonic()) > 0:
                if select.select([fd], [], [], left)[0] and not os.read(fd, 65536):
                    raise Failure(f"{program}: ended after its first page")
            mapped_seconds = mapped.result(timeout)
            if mapped_seconds is None:
                raise Failure(f"{program}: no window mapped")
            pids = tree(process.pid)
            sizes = [memory_kb(pid) for pid in pids]
            kinds = {kind for _, kind, _ in sizes if kind}
            private = None if any(p is None for _, _, p in sizes) else sum(p for _, _, p in sizes)
            return Start(seconds, mapped_seconds, match.group(1).decode(), sum(kb for kb, _, _ in sizes), private,
                         len(pids), "/".join(sorted(kinds)), maximised_window(set(pids), env))
        except Failure as failure:
            tail = output.decode(errors="replace")[-2000:]
            raise Failure(f"{failure}\n---- its stderr ----\n{tail}") from None
        finally:
            mapped.result(0)
            kill_tree(sorted(set(pids) | set(tree(process.pid))))
            process.wait(5)
            process.stderr.close()


# ---- the run -------------------------------------------------------------------------

def start_display(size, timeout):
    """A virtual X server on a free display with openbox on it: (display, [openbox, Xvfb])."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size}x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=[write_end], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    started = [xvfb]
    try:
        with os.fdopen(read_end, "rb") as pipe:
            display = ":" + read_line(pipe, timeout, "Xvfb")
        env = dict(os.environ, DISPLAY=display)
        log = tempfile.TemporaryFile()
        wm = subprocess.Popen(["openbox"], env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              start_new_session=True)
        started.insert(0, wm)
        deadline = time.monotonic() + timeout
        while b"window id" not in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                                                 capture_output=True, timeout=timeout).stdout:
            if time.monotonic() > deadline or wm.poll() is not None:
                log.seek(0)
                raise Failure(f"openbox did not come up on {display}: {log.read().decode(errors='replace')[-1000:]}")
            time.sleep(0.1)
        return display, started
    except BaseException:
        for process in started:
            stop(process)
        raise


def start_server(build, timeout):
    server = subprocess.Popen([sys.executable, os.path.join(SOURCE, "course", "serve.py"), "--root",
                               os.path.join(build, "course"), "--port", "0"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return read_line(server.stdout, timeout, "course server"), server
    except Failure:
        stop(server)
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"), help="build folder (default: build)")
    parser.add_argument("--runs", type=int, default=15, help="measured starts of each program (default 15)")
    parser.add_argument("--settle", type=float, default=3.0,
                        help="seconds the first page is on show before memory is taken (default 3)")
    parser.add_argument("--timeout", type=float, default=60.0, help="seconds a start may take (default 60)")
    parser.add_argument("--screen", default="1280x1024", help="size of the virtual screen (default 1280x1024)")
    parser.add_argument("--program", action="append", default=[], metavar="LABEL=PATH",
                        help="a reader to measure; may be given more than once (default: reader=BUILD/tavrin)")
    parser.add_argument("--bare-load-first", action="store_true",
                        help="also measure the bare view asking for its page before showing its window")
    parser.add_argument("--keep-home", action="store_true",
                        help="each program keeps one HOME over all its starts (default: a fresh HOME each start)")
    options = parser.parse_args()
    if options.runs < 1:
        parser.error("--runs must be at least 1")

    readers = []
    for spec in options.program or [f"reader={os.path.join(options.build, 'tavrin')}"]:
        label, sep, path = spec.partition("=")
        if not sep or not label or label in (BARE, BARE_LOAD_FIRST):
            parser.error(f"--program {spec}: expected LABEL=PATH")
        readers.append((label, os.path.abspath(path)))
    bare = os.path.join(options.build, "bench", "bareview")
    for _, path in readers + [(BARE, bare)]:
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} is not built (cmake --build build --target tavrin bareview sample_course)")

    env = program_env()

    helpers = []
    homes = tempfile.TemporaryDirectory(prefix="tavrin-homes-")
    try:
        display, helpers = start_display(options.screen, options.timeout)
        base, server = start_server(options.build, options.timeout)
        helpers.insert(0, server)
        env.update(DISPLAY=display, TAVRIN_COURSE_BASE=base)
        print(f"display {display} ({options.screen}), course at {base}", file=sys.stderr)

        def once(label, path, url):
            args = {BARE: [url], BARE_LOAD_FIRST: ["--load-first", url]}.get(label, [])
            home = None
            if options.keep_home:
                home = os.path.join(homes.name, re.sub(r"\W", "_", label))
                os.makedirs(home, exist_ok=True)
            return start_once(path, args, env, options.timeout, options.settle, home)

        # Unmeasured starts: they warm the disk caches, and the first reader's tells the bare
        # view which page to load.
        url = once(*readers[0], None).url
        print(f"start page {url}", file=sys.stderr)
        programs = readers + [(BARE, bare)] + ([(BARE_LOAD_FIRST, bare)] if options.bare_load_first else [])
        for label, path in programs:
            once(label, path, url)

        results = {label: [] for label, _ in programs}
        for round in range(options.runs):
            shift = round % len(programs)
            for label, path in programs[shift:] + programs[:shift]:
                start = once(label, path, url)
                if start.url != url:
                    raise Failure(f"{label} loaded {start.url}, not {url}")
                results[label].append(start)
                print(f"round {round + 1:2}  {label:28} {start.seconds * 1000:6.0f} ms"
                      f"  mapped {start.mapped * 1000:5.0f} ms  {start.kb / 1024:6.1f} MiB"
                      f" in {start.processes} processes{'' if start.maximised else ', window NOT shown maximised'}",
                      file=sys.stderr)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"run_startup: {failure}", file=sys.stderr)
        return 1
    finally:
        for helper in helpers:
            stop(helper)
        homes.cleanup()

    def medians(label):
        rs = results[label]
        private = [r.private_kb for r in rs]
        return (statistics.median(r.seconds for r in rs) * 1000, statistics.median(r.kb for r in rs) / 1024,
                None if None in private else statistics.median(private) / 1024,
                statistics.median(r.mapped for r in rs) * 1000)

    bare_ms, bare_mb, bare_private, bare_mapped = medians(BARE)
    time_goal = TIME_GOAL_KEPT_HOME if options.keep_home else TIME_GOAL
    kinds = "/".join(sorted({r.kind for rs in results.values() for r in rs}))
    sys.stderr.flush()
    print(f"\n{options.runs} starts of each, {'one kept HOME per program' if options.keep_home else 'a fresh HOME each'},"
          f" medians; memory is {kinds} summed over the process tree,"
          " private: the pages of the tree that no other process maps\n")
    print("| program | first page | min | max | / bare view | per round | window mapped | / bare view | memory"
          " | / bare view | private | / bare view | processes | maximised | goals |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for label, _ in programs:
        rs = results[label]
        ms, mb, private, mapped = medians(label)
        shown = sum(r.maximised for r in rs)
        cells = [label, f"{ms:.0f} ms", f"{min(r.seconds for r in rs) * 1000:.0f} ms",
                 f"{max(r.seconds for r in rs) * 1000:.0f} ms", "", "", f"{mapped:.0f} ms", "", f"{mb:.1f} MiB", "",
                 "n/a" if private is None else f"{private:.1f} MiB", "", f"{statistics.median(r.processes for r in rs):g}",
                 f"{shown}/{len(rs)}", ""]
        if label != BARE:
            cells[4] = f"{ms / bare_ms:.2f}x"
            # Each start beside the bare view's start of the same round, which ran moments apart
            # on the same machine: steadier than the medians when other work comes and goes.
            cells[5] = f"{statistics.median(r.seconds / b.seconds for r, b in zip(rs, results[BARE])):.2f}x"
            cells[7] = f"{mapped / bare_mapped:.2f}x"
            cells[9] = f"{mb / bare_mb:.2f}x"
            if private is not None and bare_private:
                cells[11] = f"{private / bare_private:.2f}x"
        if label not in (BARE, BARE_LOAD_FIRST):
            met = (ms <= time_goal * bare_ms and mapped <= MAPPED_GOAL * bare_mapped and mb <= MEMORY_GOAL * bare_mb
                   and shown == len(rs))
            cells[14] = "met" if met else "NOT met"
        print("| " + " | ".join(cells) + " |")
    print(f"\nGoals: first page within {time_goal:.2f}x of the bare view's time, window mapped within"
          f" {MAPPED_GOAL:.2f}x of the bare view's, memory within {(MEMORY_GOAL - 1) * 100:.0f} % of the bare view's,"
          " the window shown maximised in every start (\"maximised\": starts whose window the window manager showed"
          " maximised once the page had settled).")
    return 0


if __name__ == "__main__":
    sys.exit(main())
