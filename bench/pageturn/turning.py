"""What the page-turn benchmark and the soak share: programs on virtual X servers, turned
with Page Down, each turn watched from outside the program until its page is on screen.

A page is "on screen" when the program's window holds exactly the pixels it held when that
turn's page had been shown and left alone in a recording pass of the same program over the
same pages (pixelwatch, bench/pageturn/pixelwatch.cpp, hashes every pixel of the window each
time the X server reports drawing in it). The recording pass learns the addresses each turn
loads from the programs' "loaded <url>" lines: the reader's browser writes one per finished
load as a mark for the benchmarks with QT_LOGGING_RULES="tavrin.bench.debug=true", the bare
view always.
"""

import os
import re
import select
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "startup"))
import run_startup as startup  # noqa: E402  (the displays, the course server, processes and their memory)

Failure = startup.Failure
SOURCE = startup.SOURCE
KEY = "Next"  # Page Down


def close_all(running, screens, server, work):
    """Ends what a run started: its programs, its displays, the course server, its folders."""
    for program in running:
        program.stop()
    for screen in screens.values():
        screen.close()
    if server:
        startup.stop(server)
    work.cleanup()


def check_built(paths):
    for path in paths:
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} is not built (cmake --build build --target tavrin bareview pixelwatch sample_course;"
                     " pixelwatch needs libxtst-dev and libxdamage-dev)")


class Watch:
    """A pixelwatch on one display, asked one line at a time."""

    def __init__(self, path, env):
        self.process = subprocess.Popen([path], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, bufsize=1, start_new_session=True)

    def ask(self, line, timeout):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        if not select.select([self.process.stdout], [], [], timeout)[0]:
            raise Failure(f"pixelwatch gave no answer to '{line}' within {timeout:.0f} s")
        answer = self.process.stdout.readline().split()
        if not answer or answer[0] == "error":
            raise Failure(f"pixelwatch: '{line}': {' '.join(answer) or self.process.stderr.read()}")
        return answer

    def key(self):
        return float(self.ask(f"key {KEY}", 10)[1])

    def settle(self, window, quiet, limit):
        """(settled, hash, seconds): waits until the window's pixels have not changed for
        `quiet` seconds, at most `limit` seconds."""
        answer = self.ask(f"settle {window:x} {quiet * 1000:.0f} {limit * 1000:.0f}", limit + 10)
        return answer[0] == "settled", answer[1], float(answer[2]) / 1000

    def wait(self, window, pixels, limit):
        """(shown, hash, seconds) until the window's pixels hash to `pixels`."""
        answer = self.ask(f"wait {window:x} {pixels} {limit * 1000:.0f}", limit + 10)
        return answer[0] == "shown", answer[1], float(answer[2]) / 1000

    def turn(self, window, pixels, limit):
        """(shown, hash, seconds, key time): Page Down, then the time until the window's pixels
        hash to `pixels`; the key time is on time.monotonic()'s clock."""
        answer = self.ask(f"turn {window:x} {KEY} {pixels} {limit * 1000:.0f}", limit + 10)
        return answer[0] == "shown", answer[1], float(answer[2]) / 1000, float(answer[3])

    def close(self):
        if self.process.poll() is None:
            try:
                self.ask("quit", 0)
            except (Failure, OSError, ValueError):
                pass
        startup.stop(self.process)


class Screen:
    """A virtual X server with openbox, and a pixelwatch on it."""

    def __init__(self, size, env, watch_path, timeout):
        self.display, self._helpers = startup.start_display(size, timeout)
        self.env = dict(env, DISPLAY=self.display)
        try:
            self.watch = Watch(watch_path, self.env)
        except BaseException:
            self.close()
            raise

    def park_pointer(self):
        # On the title bar, where no link of the page can be under it.
        subprocess.run(["xdotool", "mousemove", "400", "5"], env=self.env, capture_output=True, timeout=10)

    def close(self):
        if getattr(self, "watch", None):
            self.watch.close()
        for helper in self._helpers:
            startup.stop(helper)


class Program:
    """One start of a program on a screen: its "loaded" lines, read as they come, with the
    time each was read, and its main window."""

    def __init__(self, label, argv, screen, home=None):
        self.label = label
        self.screen = screen
        self._home = None if home else tempfile.TemporaryDirectory(prefix="tavrin-turns-")
        self.home = home or self._home.name
        env = startup.home_env(screen.env, self.home)
        self.process = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, start_new_session=True, bufsize=0)
        self.loads = []  # (time.monotonic() when read, url)
        self._tail = b""
        self._ended = False
        self._changed = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self.window = None
        self.last_turn_end = 0.0

    def _read(self):
        fd = self.process.stderr.fileno()
        pending = b""
        while True:
            try:
                chunk = os.read(fd, 65536)
            except OSError:
                chunk = b""
            now = time.monotonic()
            with self._changed:
                if not chunk:
                    self._ended = True
                    self._changed.notify_all()
                    return
                self._tail = (self._tail + chunk)[-4000:]
                pending += chunk
                *lines, pending = pending.split(b"\n")
                for line in lines:
                    match = startup.LOADED.match(line)
                    if match:
                        self.loads.append((now, match.group(1).decode()))
                self._changed.notify_all()

    def output(self):
        return self._tail.decode(errors="replace")

    def wait_loads(self, count, timeout):
        """The first `count` loads, waiting for them at most `timeout` seconds."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while len(self.loads) < count:
                left = deadline - time.monotonic()
                if self._ended:
                    raise Failure(f"{self.label} ended\n---- its stderr ----\n{self.output()}")
                if left <= 0:
                    raise Failure(f"{self.label}: {count - len(self.loads)} more pages did not finish loading within"
                                  f" {timeout:.0f} s\n---- its stderr ----\n{self.output()}")
                self._changed.wait(left)
            return list(self.loads[:count])

    def find_window(self, timeout):
        """Its largest visible top-level window."""
        deadline = time.monotonic() + timeout
        env = self.screen.env
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)], env=env,
                                   capture_output=True, text=True, timeout=10).stdout.split()
            sizes = []
            for window in found:
                geometry = subprocess.run(["xdotool", "getwindowgeometry", window], env=env, capture_output=True,
                                          text=True, timeout=10).stdout
                size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
                if size:
                    sizes.append((int(size.group(1)) * int(size.group(2)), int(window)))
            if sizes:
                self.window = max(sizes)[1]
                return self.window
            time.sleep(0.05)
        raise Failure(f"{self.label}: no window within {timeout:.0f} s")

    def pids(self):
        return startup.tree(self.process.pid)

    def stop(self):
        try:
            startup.kill_tree(sorted(set(self.pids()) | {self.process.pid}))
        finally:
            self.process.wait(5)
            self._reader.join(5)
            self.process.stderr.close()
            if self._home:
                self._home.cleanup()


def start(label, argv, screen, timeout, home=None):
    """A program started, its first page loaded, its window found, and the pointer out of the way."""
    program = Program(label, argv, screen, home)
    try:
        program.wait_loads(1, timeout)
        program.find_window(timeout)
        screen.park_pointer()
        return program
    except BaseException:
        program.stop()
        raise


def start_all(programs, argv, screens, pixels, running, timeout):
    """Starts every (label, path) of `programs` on its own screen (each added to `running` as it
    starts), waits until its window holds its start page as the recording pass drew it
    (pixels[label][0]) and then until it keeps still, past the work that follows a first page
    (the reader hands freed memory back a second after it). The programs by label."""
    started = {}
    for label, path in programs:
        program = start(label, argv(label, path), screens[label], timeout)
        running.append(program)
        started[label] = program
        shown, seen, _ = screens[label].watch.wait(program.window, pixels[label][0], timeout)
        if not shown:
            raise Failure(f"{label}: its start page is not drawn as in the recording pass ({seen})")
    for label, program in started.items():
        screens[label].watch.settle(program.window, 1.5, timeout)
    return started


def turn_page(program, screen, pixels, addresses, number, gap, timeout):
    """Turn `number` of a program: Page Down at least `gap` seconds after its last page was
    painted, the wait until its window holds `pixels`, then for the turn's loads, which must be
    `addresses`. Gives the seconds from the key to the page painted, the turn's loads as
    (time, url) and the time the key was sent."""
    rest = program.last_turn_end + gap - time.monotonic()
    if rest > 0:
        time.sleep(rest)
    before = len(program.loads)
    shown, seen, seconds, sent = screen.watch.turn(program.window, pixels, timeout)
    program.last_turn_end = time.monotonic()
    if not shown:
        raise Failure(f"{program.label}: turn {number} ({' '.join(addresses)}) not drawn as in the recording pass"
                      f" within {timeout:.0f} s (pixels {seen})\n---- its stderr ----\n{program.output()}")
    loads = program.wait_loads(before + len(addresses), timeout)[before:]
    if [url for _, url in loads] != addresses:
        raise Failure(f"{program.label}: turn {number} loaded {[url for _, url in loads]}, not {addresses}")
    return seconds, loads, sent


# ---- the recording pass ---------------------------------------------------------------

def record(program, turns, quiet, timeout, progress=None):
    """Turns `turns` pages (a count, or the list of each turn's addresses when they are
    known), waiting after each until its loads have finished and the window has been still
    for `quiet` seconds. Returns (addresses of each turn, the window's pixels on the start
    page and after each turn)."""
    watch = program.screen.watch
    settled, pixels, _ = watch.settle(program.window, quiet, timeout)
    if not settled:
        raise Failure(f"{program.label}: the start page did not keep still within {timeout:.0f} s")
    references = [pixels]
    addresses = []
    count = turns if isinstance(turns, int) else len(turns)
    for i in range(count):
        before = len(program.loads)
        watch.key()
        expected = None if isinstance(turns, int) else len(turns[i])
        program.wait_loads(before + (expected or 1), timeout)
        while True:
            seen = len(program.loads)
            settled, pixels, _ = watch.settle(program.window, quiet, timeout)
            if not settled:
                raise Failure(f"{program.label}: turn {i + 1} did not keep still within {timeout:.0f} s")
            if len(program.loads) == seen and (expected is None or seen - before >= expected):
                break
        loaded = [url for _, url in program.loads[before:]]
        if expected is not None and loaded != turns[i]:
            raise Failure(f"{program.label}: turn {i + 1} loaded {loaded}, not {turns[i]}")
        if pixels == references[-1]:
            raise Failure(f"{program.label}: turn {i + 1} ({' '.join(loaded)}) left the window as it was;"
                          " its page cannot be told from the one before")
        addresses.append(loaded)
        references.append(pixels)
        if progress:
            progress(i + 1, loaded)
    return addresses, references


def history_records(home, count, timeout):
    """The reader's history log once it holds `count` records (it is written behind)."""
    deadline = time.monotonic() + timeout
    while True:
        found = [os.path.join(d, "history.qx") for d, _, files in os.walk(home) if "history.qx" in files]
        records = []
        if found:
            with open(found[0], "rb") as f:
                records = [line.strip().strip(b'"').decode("cp1252") for line in f.read().splitlines() if line.strip()]
        if len(records) >= count or time.monotonic() > deadline:
            return records
        time.sleep(0.1)


def check_history(program, start_url, addresses, timeout):
    """Each turn must have been one turn: the reader records each page it arrives at (a
    module's page, not the variant it goes on to), so its log must be the start page and
    then each turn's first address."""
    names = [start_url] + [turn[0] for turn in addresses]
    names = [url.rpartition("/")[2] for url in names]
    records = history_records(program.home, len(names), timeout)
    if records != names:
        first = next((i for i, (a, b) in enumerate(zip(records, names)) if a != b), min(len(records), len(names)))
        raise Failure(f"{program.label}: its history does not follow the turns from record {first + 1}:"
                      f" {records[first:first + 3]} against {names[first:first + 3]}")


def period(addresses, references):
    """(start, length): from which turn the course comes round again and after how many turns,
    checked on the pixels too; None when it does not within the turns given."""
    for j in range(1, len(addresses)):
        for s in range(j):
            if addresses[j] == addresses[s]:
                length = j - s
                # The turns after the repeat must show what they showed the first time round.
                if all(references[k + 1] == references[k + 1 - length] for k in range(j, len(addresses))):
                    return s, length
                raise Failure(f"turn {j + 1} loads what turn {s + 1} loaded but does not show the same pixels;"
                              " the pages are not drawn the same way each time")
    return None


# ---- load ---------------------------------------------------------------------------------

def load_average():
    return os.getloadavg()


def format_load(load):
    return " ".join(f"{x:.2f}" for x in load)
