#!/usr/bin/env python3
"""The Debian package, as apt would get it.

cpack makes the package from the build tree; it is unpacked into a scratch root with
dpkg-deb -x and installed and removed with dpkg only inside a scratch root, never in the
system. Checked: the exact file list with modes and contents, the control data (its
library dependencies worked out from the programs), lintian's verdict, the licence, that
the dependencies resolve on an empty Debian system, the desktop file and the metainfo, and that the unpacked program,
started through its link on PATH, reads its program folder and shows the sample course.

CTest runs it on a virtual X server with a window manager (tests/e2e/on-x), with
TAVRIN_BUILD_DIR, TAVRIN_SOURCE_DIR, TAVRIN_APP_ID and TAVRIN_VERSION set.
"""

import gzip
import os
import re
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

BUILD = Path(os.environ["TAVRIN_BUILD_DIR"])
SOURCE = Path(os.environ["TAVRIN_SOURCE_DIR"])
APP_ID = os.environ["TAVRIN_APP_ID"]
VERSION = os.environ["TAVRIN_VERSION"]
PROGRAM_DIR = "usr/lib/tavrin"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The virtual screen of on-x (1280x1024) is screen class 4, whose start page is qxd.qx.
START_RECORD = b'"qxd.qx"\r\n'


def run(args, timeout=60, **kwargs):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=timeout, **kwargs)


def png_size(path):
    data = Path(path).read_bytes()[:24]
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG"
    return struct.unpack(">II", data[16:24])


def expected_files():
    """Every file and link of the package: path -> (mode, what it must be)."""
    files = {
        f"{PROGRAM_DIR}/tavrin": ("-rwxr-xr-x", ("elf",)),
        f"{PROGRAM_DIR}/modules/tavrin-engines.so": ("-rw-r--r--", ("elf",)),
        f"{PROGRAM_DIR}/files.qx": ("-rw-r--r--", ("same", BUILD / "files.qx")),
        f"{PROGRAM_DIR}/words.qx": ("-rw-r--r--", ("same", BUILD / "words.qx")),
        "usr/bin/tavrin": ("lrwxrwxrwx", ("link", "../lib/tavrin/tavrin")),
        "usr/bin/tavrin-index": ("-rwxr-xr-x", ("elf",)),
        "usr/share/man/man1/tavrin.1.gz": ("-rw-r--r--", ("gzip", SOURCE / "docs/tavrin.1")),
        "usr/share/man/man1/tavrin-index.1.gz": ("-rw-r--r--", ("gzip", SOURCE / "docs/tavrin-index.1")),
        f"usr/share/applications/{APP_ID}.desktop": ("-rw-r--r--", ("same", SOURCE / f"dist/{APP_ID}.desktop")),
        f"usr/share/metainfo/{APP_ID}.metainfo.xml": ("-rw-r--r--", ("text",)),
        f"usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg": ("-rw-r--r--", ("same", SOURCE / f"dist/{APP_ID}.svg")),
        "usr/share/doc/tavrin/copyright": ("-rw-r--r--", ("same", SOURCE / "dist/debian/copyright")),
        "usr/share/doc/tavrin/changelog.gz": ("-rw-r--r--", ("gzip", SOURCE / "dist/debian/changelog")),
    }
    for size in ICON_SIZES:
        files[f"usr/share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png"] = ("-rw-r--r--", ("png", size))
    return files


def parse_depends(field):
    """[[(name, constraint), alternative...], ...] of a Depends field."""
    groups = []
    for group in field.split(","):
        alternatives = []
        for alt in group.split("|"):
            m = re.fullmatch(r"\s*([a-z0-9][a-z0-9+.-]*)(?::\w+)?\s*(?:\(([^)]*)\))?\s*", alt)
            assert m, f"cannot read the dependency {alt!r}"
            alternatives.append((m.group(1), m.group(2)))
        groups.append(alternatives)
    return groups


def owning_package(library):
    """The Debian package that holds the shared library the loader finds for a NEEDED name."""
    cache = run(["/sbin/ldconfig", "-p"]).stdout
    m = re.search(r"^\s*" + re.escape(library) + r" \(libc6,x86-64\S*\) => (\S+)$", cache, re.M) or re.search(
        r"^\s*" + re.escape(library) + r" \([^)]*\) => (\S+)$", cache, re.M)
    assert m, f"the loader does not know {library}"
    path = Path(m.group(1))
    # With merged /usr the package may name either path.
    for candidate in (path, path.resolve(), Path("/usr" + str(path)), Path(str(path).removeprefix("/usr"))):
        found = run(["dpkg-query", "-S", candidate])
        if found.returncode == 0:
            return found.stdout.split(":")[0].strip()
    raise AssertionError(f"no package holds {path}")


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="tavrin-package-")
        work = Path(cls.work.name)
        made = run(["cpack", "--config", BUILD / "CPackConfig.cmake", "-B", work / "out"], timeout=300)
        if made.returncode != 0:
            raise AssertionError(f"cpack failed (is the build complete?):\n{made.stdout}\n{made.stderr}")
        debs = sorted((work / "out").glob("tavrin_*.deb"))
        assert len(debs) == 1, f"cpack made {debs}"
        cls.deb = debs[0]
        cls.root = work / "root"
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)], check=True, timeout=60)
        cls.control = {}
        for line in run(["dpkg-deb", "-f", cls.deb]).stdout.splitlines():
            if line and not line[0].isspace():
                key, _, value = line.partition(":")
                cls.control[key] = value.strip()
        # "-rwxr-xr-x root/root 1234 2026-01-01 00:00 ./usr/bin/x[ -> target]"
        cls.listing = {}
        for line in run(["dpkg-deb", "-c", cls.deb]).stdout.splitlines():
            mode, owner, _size, _date, _time, rest = line.split(None, 5)
            path = rest.split(" -> ")[0].removeprefix("./").rstrip("/")
            if path:
                cls.listing[path] = (mode, owner)

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_holds_exactly_the_expected_files_owned_by_root(self):
        files = {p for p, (mode, _) in self.listing.items() if not mode.startswith("d")}
        self.assertEqual(files, set(expected_files()))
        for path, (mode, owner) in self.listing.items():
            with self.subTest(path=path):
                self.assertEqual(owner, "root/root")
                if mode.startswith("d"):
                    self.assertEqual(mode, "drwxr-xr-x")
        # Everything lies below /usr: nothing in /etc or /var that removing could leave behind.
        self.assertEqual({p.split("/")[0] for p in self.listing}, {"usr"})

    def test_each_file_has_its_mode_and_content(self):
        for path, (mode, (kind, *arg)) in expected_files().items():
            with self.subTest(path=path):
                file = self.root / path
                self.assertEqual(self.listing[path][0], mode)
                if kind == "elf":
                    self.assertEqual(file.read_bytes()[:4], b"\x7fELF")
                    sections = run(["readelf", "-S", "-W", file]).stdout
                    self.assertNotIn(".debug_info", sections, "not stripped")
                    dynamic = run(["readelf", "-d", "-W", file]).stdout
                    self.assertNotRegex(dynamic, r"\((RPATH|RUNPATH)\)", "a run path into the build")
                elif kind == "same":
                    self.assertEqual(file.read_bytes(), arg[0].read_bytes())
                elif kind == "gzip":
                    self.assertEqual(gzip.decompress(file.read_bytes()), arg[0].read_bytes())
                elif kind == "png":
                    self.assertEqual(png_size(file), (arg[0], arg[0]))
                elif kind == "link":
                    self.assertEqual(os.readlink(file), arg[0])
                    self.assertEqual(file.resolve(), (self.root / PROGRAM_DIR / "tavrin").resolve())
                elif kind == "text":
                    self.assertTrue(file.read_text(encoding="utf-8").strip())

    def test_control_data(self):
        c = self.control
        self.assertEqual(c["Package"], "tavrin")
        self.assertEqual(c["Version"], VERSION)
        self.assertEqual(c["Architecture"], run(["dpkg", "--print-architecture"]).stdout.strip())
        self.assertEqual(c["Section"], "education")
        self.assertIn("@", c["Maintainer"])
        self.assertTrue(c["Description"])
        self.assertIn("gstreamer1.0-libav", c.get("Recommends", ""))
        # No maintainer scripts and no conffiles: installing and removing is dpkg's alone.
        members = run(["sh", "-c", f"dpkg-deb --ctrl-tarfile '{self.deb}' | tar -t"]).stdout.split()
        self.assertEqual({m.removeprefix("./") for m in members} - {""}, {"control", "md5sums"})
        sums = run(["dpkg-deb", "-I", self.deb, "md5sums"]).stdout.split("\n")
        summed = {line.split(None, 1)[1] for line in sums if line.strip()}
        files = {p for p, (mode, _) in self.listing.items() if mode.startswith("-")}
        self.assertEqual(summed, files)

    def test_lintian_finds_no_error_or_warning(self):
        checked = run(["lintian", "--fail-on", "error,warning", "--no-tag-display-limit", self.deb], timeout=300)
        tags = [line for line in checked.stdout.splitlines() if re.match(r"[EW]: ", line)]
        self.assertEqual((checked.returncode, tags), (0, []), checked.stdout + checked.stderr)

    def test_licence_is_the_gpl3_and_the_copyright_says_so(self):
        licence = (SOURCE / "LICENSE").read_text()
        self.assertIn("GNU GENERAL PUBLIC LICENSE\n                       Version 3, 29 June 2007", licence)
        copyright = (self.root / "usr/share/doc/tavrin/copyright").read_text()
        self.assertRegex(copyright, r"(?m)^Format: https://www\.debian\.org/doc/packaging-manuals/copyright-format/1\.0/$")
        self.assertRegex(copyright, r"(?m)^License: GPL-3\+$")
        changelog = gzip.decompress((self.root / "usr/share/doc/tavrin/changelog.gz").read_bytes()).decode()
        self.assertTrue(changelog.startswith(f"tavrin ({VERSION}) "), changelog[:80])
        for line in run(["dpkg-deb", "-f", self.deb, "Description"]).stdout.splitlines():
            self.assertLessEqual(len(line), 80, line)

    def test_depends_on_the_package_of_every_library_the_programs_link(self):
        depends = parse_depends(self.control["Depends"])
        versioned = {name for group in depends for name, constraint in group if constraint}
        named = {name for group in depends for name, _ in group}
        # dpkg-shlibdeps gives lower version bounds from the libraries' symbols.
        for package in ("libc6", "libqt6core6", "libqt6webenginecore6", "libqt6webenginewidgets6"):
            self.assertIn(package, versioned)
        for program in (f"{PROGRAM_DIR}/tavrin", "usr/bin/tavrin-index"):
            dynamic = run(["readelf", "-d", "-W", self.root / program]).stdout
            needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^]]+)\]", dynamic)
            self.assertTrue(needed)
            for library in needed:
                with self.subTest(program=program, library=library):
                    self.assertIn(owning_package(library), named)
        # What Qt loads at run time: WebEngine's helper program, the X11 platform plugin, the
        # GStreamer plugins.
        for package in ("libqt6webenginecore6-bin", "qt6-qpa-plugins", "gstreamer1.0-plugins-base",
                        "gstreamer1.0-plugins-good"):
            self.assertIn(package, named)

    def test_dependencies_resolve_on_an_empty_system(self):
        if "Candidate: (none)" in run(["apt-cache", "policy", "libc6"]).stdout:
            self.skipTest("apt has no package lists (apt-get update)")
        with tempfile.NamedTemporaryFile() as status:
            sim = run(["apt-get", "-s", "-o", f"Dir::State::status={status.name}", "-o", "Debug::NoLocking=1",
                       "install", "--no-install-recommends", self.deb], timeout=120)
        self.assertEqual(sim.returncode, 0, sim.stdout[-3000:] + sim.stderr)
        installed = set(re.findall(r"(?m)^Inst (\S+) ", sim.stdout))
        for package in ("tavrin", "libqt6webenginewidgets6", "libqt6webenginecore6-bin", "qt6-qpa-plugins",
                        "gstreamer1.0-plugins-good"):
            self.assertIn(package, installed)

    def test_dpkg_installs_and_removes_it_without_a_trace(self):
        root = Path(self.work.name) / "dpkg-root"
        for d in ("var/lib/dpkg/info", "var/lib/dpkg/updates"):
            (root / d).mkdir(parents=True)
        (root / "var/lib/dpkg/status").touch()
        dpkg = ["dpkg", f"--root={root}", "--log=/dev/null", "--force-not-root", "--force-depends",
                "--force-script-chrootless"]
        installed = run(dpkg + ["--install", self.deb])
        self.assertEqual(installed.returncode, 0, installed.stdout + installed.stderr)
        self.assertTrue((root / PROGRAM_DIR / "tavrin").is_file())
        self.assertTrue((root / "usr/bin/tavrin").is_symlink())
        removed = run(dpkg + ["--purge", "tavrin"])
        self.assertEqual(removed.returncode, 0, removed.stdout + removed.stderr)
        left = sorted(str(p.relative_to(root)) for p in root.rglob("*") if not p.is_dir())
        self.assertEqual([p for p in left if not p.startswith("var/lib/dpkg/")], [])
        self.assertEqual([p for p in root.rglob("*") if p.is_dir() and p.name == "tavrin"], [])

    def test_desktop_file_and_metainfo(self):
        desktop = self.root / f"usr/share/applications/{APP_ID}.desktop"
        metainfo = self.root / f"usr/share/metainfo/{APP_ID}.metainfo.xml"
        checked = run(["desktop-file-validate", desktop])
        self.assertEqual((checked.returncode, checked.stdout.strip()), (0, ""), checked.stdout + checked.stderr)
        checked = run(["appstreamcli", "validate", "--no-net", metainfo])
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        entry = dict(line.split("=", 1) for line in desktop.read_text().splitlines() if "=" in line)
        self.assertEqual(entry["Exec"], "tavrin")
        self.assertEqual(entry["Icon"], APP_ID)
        self.assertEqual(entry["StartupWMClass"], "Tavrin")
        text = metainfo.read_text(encoding="utf-8")
        self.assertIn(f"<id>{APP_ID}</id>", text)
        self.assertIn(f'<launchable type="desktop-id">{APP_ID}.desktop</launchable>', text)
        self.assertIn(f'<release version="{VERSION}"', text)
        self.assertRegex(text, r"<image[^>]*>https://[^<]+\.png</image>")

    def test_programs_answer_version(self):
        for program, expected in (("usr/bin/tavrin", f"tavrin {VERSION}"), ("usr/bin/tavrin-index",
                                                                            f"tavrin-index {VERSION}")):
            with self.subTest(program=program):
                answer = run([self.root / program, "--version"], timeout=30)
                self.assertEqual((answer.returncode, answer.stdout.strip()), (0, expected), answer.stderr)

    def test_reader_started_through_the_link_shows_the_course_and_finds_its_program_folder(self):
        self.assertTrue(os.environ.get("DISPLAY"), "runs on an X server (tests/e2e/on-x)")
        work = Path(self.work.name)
        env = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"}
        run_dir = work / "run"
        run_dir.mkdir(mode=0o700)
        env.update(APPDATA=str(work / "appdata"), HOME=str(work / "home"), XDG_RUNTIME_DIR=str(run_dir),
                   TAVRIN_BLOCK_PREFIX=f"pkg{os.getpid()}-", PRACTICE_MARK=str(work / "practice"))
        env.setdefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu")
        (work / "home").mkdir()
        history = work / "appdata/Vendrel/TavrinLab/history.qx"

        server = subprocess.Popen([sys.executable, SOURCE / "course/serve.py", "--root", BUILD / "course",
                                   "--port", "0"], stdout=subprocess.PIPE, text=True)
        reader = None
        try:
            base = server.stdout.readline().strip()
            self.assertTrue(base.startswith("http://127.0.0.1:"), base)
            env["TAVRIN_COURSE_BASE"] = base
            # A session of its own, so that the browser's helpers end with it.
            reader = subprocess.Popen([self.root / "usr/bin/tavrin"], env=env, start_new_session=True,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and reader.poll() is None:
                if history.exists() and history.read_bytes():
                    break
                time.sleep(0.2)
            self.assertIsNone(reader.poll(), "the reader ended")
            self.assertEqual(history.read_bytes() if history.exists() else b"", START_RECORD)

            # The window manager and the desktop file find the window by its class.
            window = run(["xdotool", "search", "--onlyvisible", "--pid", reader.pid]).stdout.split()
            self.assertTrue(window, "no window of the reader")
            wm_class = run(["xprop", "-id", window[0], "WM_CLASS"]).stdout
            self.assertRegex(wm_class, r'"tavrin", "Tavrin"')

            # A second copy is a launcher; /PRAC=05 starts ch05test from the program folder, which
            # is the link's target folder, not usr/bin.
            practice = self.root / PROGRAM_DIR / "ch05test"
            practice.write_text('#!/bin/sh\nprintf "%s" "$0" > "$PRACTICE_MARK"\n')
            practice.chmod(0o755)
            try:
                launcher = run([self.root / "usr/bin/tavrin", "/PRAC=05"], env=env, timeout=60)
                self.assertEqual(launcher.returncode, 0, launcher.stderr)
                mark = Path(env["PRACTICE_MARK"])
                for _ in range(50):
                    if mark.exists() and mark.read_text():
                        break
                    time.sleep(0.1)
                self.assertTrue(mark.exists(), "ch05test was not started from the program folder")
                self.assertEqual(Path(mark.read_text()).resolve(), practice.resolve())
            finally:
                practice.unlink()
        finally:
            if reader is not None:
                try:
                    os.killpg(reader.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                reader.wait(10)
            server.terminate()
            server.wait(10)
            server.stdout.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
