#!/usr/bin/python3
"""Checks of the sample course, its search data and its server, as the reader sees them.

Run from anywhere:  python3 course/test_course.py
The course is made once into a temporary folder and served on 127.0.0.1. Its search data
are made by the built tavrin-index: the program named by $TAVRIN_INDEX, else
build/tavrin-index; without it the search data checks are skipped.
"""

import html
import http.client
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest
from html.parser import HTMLParser
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import make_course  # noqa: E402

INDEXER = Path(os.environ.get("TAVRIN_INDEX") or HERE.parent / "build" / "tavrin-index")
# Upper case of each Windows-1252 byte, as the reader's search and tavrin-index make it.
UPPER = bytes.maketrans(
    bytes(range(0x61, 0x7B)) + bytes(c for c in range(0xE0, 0xFF) if c != 0xF7) + b"\x9a\x9c\x9e\xff",
    bytes(range(0x41, 0x5B)) + bytes(c for c in range(0xC0, 0xDF) if c != 0xD7) + b"\x8a\x8c\x8e\x9f")

LETTERS = "abcdefg"
OBJ_REV = {
    1: (196, 197), 2: (216, 217), 3: (97, 98), 4: (146, 147), 5: (114, 115), 6: (126, 127),
    7: (119, 120), 8: (169, 170), 9: (109, 110), 10: (107, 108), 11: (134, 135), 12: (70, 71),
    13: (151, 152), 14: (133, 134), 15: (128, 129), 16: (172, 173), 17: (103, 104), 18: (108, 109),
    19: (188, 189), 20: (163, 164), 21: (146, 147), 22: (129, 130), 23: (325, 326), 24: (25, 326),
}

OUT = None          # the generated course
BASE_DIR = None     # OUT/qx_cbt/qx2
SERVER = None       # the server process
PORT = None


class Links(HTMLParser):
    """The hrefs of a page in document order, as document.links holds them."""

    def __init__(self):
        super().__init__()
        self.hrefs = []

    def handle_starttag(self, tag, attrs):
        href = dict(attrs).get("href")
        if tag in ("a", "area") and href is not None:
            self.hrefs.append(href)


def links_of(name):
    parser = Links()
    parser.feed((BASE_DIR / name).read_text(encoding="utf-8"))
    return parser.hrefs


def make_search_data(pages, out):
    subprocess.run([str(INDEXER), "--out", str(out), str(pages)], check=True,
                   stdout=subprocess.DEVNULL, timeout=120)


def start_server(root):
    proc = subprocess.Popen([sys.executable, str(HERE / "serve.py"), "--root", str(root)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = proc.stdout.readline().strip()
    return proc, line


def setUpModule():
    global OUT, BASE_DIR, SERVER, PORT
    OUT = Path(tempfile.mkdtemp(prefix="tavrin-course-test-"))
    subprocess.run([sys.executable, str(HERE / "make_course.py"), "--out", str(OUT)],
                   check=True, stdout=subprocess.DEVNULL, timeout=300)
    BASE_DIR = OUT / "qx_cbt" / "qx2"
    if INDEXER.is_file():
        make_search_data(BASE_DIR, OUT)
    SERVER, line = start_server(OUT)
    match = re.fullmatch(r"http://127\.0\.0\.1:(\d+)/qx_cbt/qx2/", line)
    if not match:
        SERVER.kill()
        raise RuntimeError(f"unexpected first line from the server: {line!r}")
    PORT = int(match.group(1))


def tearDownModule():
    if SERVER is not None:
        SERVER.terminate()
        try:
            SERVER.wait(10)
        except subprocess.TimeoutExpired:
            SERVER.kill()
            SERVER.wait(10)
        SERVER.stdout.close()
        SERVER.stderr.close()
    if OUT is not None:
        shutil.rmtree(OUT, ignore_errors=True)


def fetch(path, method="GET", headers=None):
    """One request with the path sent exactly as given."""
    conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
    try:
        conn.request(method, path, headers=headers or {})
        resp = conn.getresponse()
        return resp.status, dict(resp.getheaders()), resp.read()
    finally:
        conn.close()


class PageTests(unittest.TestCase):

    def test_navigation_links_of_each_page_family(self):
        """Links 0, 1 and 2 are Section, previous and next; contents pages have link 5."""
        cases = {
            "qxa.qx": ("qxcra.qx", "qxa.qx", "qx010001.qx"),
            "qxg.qx": ("qxcrg.qx", "qxg.qx", "qx010001.qx"),
            "qxcrc.qx": ("qxc.qx", "qxc.qx", "qx010001.qx"),
            "qx010001.qx": ("qx010001.qx", "qxa.qx", "qx010002.qx"),
            "qx010196.qx": ("qx010001.qx", "qx010006.qx", "qx010197.qx"),
            "qx070001.qx": ("qx070001.qx", "qx060127.qx", "qx070002.qx"),
            "qx240025.qx": ("qx240001.qx", "qx240006.qx", "qx240326.qx"),
            "qx240326.qx": ("qx240001.qx", "qx240025.qx", "qxa.qx"),
            "mod07c.qx": ("qx070001.qx", "qx060127.qx", "qx070002.qx"),
            "obj07a.qx": ("qx070001.qx", "qx070006.qx", "qx070120.qx"),
            "rev24g.qx": ("qx240001.qx", "qx240025.qx", "qxa.qx"),
            "qxpracd.qx": ("qxd.qx", "qxd.qx", "qxsummd.qx"),
            "qxtvidd.qx": ("qxd.qx", "qxtechd.qx", "qxd.qx"),
            "search.qx": ("qxa.qx", "qxa.qx", "qx010001.qx"),
        }
        for page, expected in cases.items():
            with self.subTest(page=page):
                self.assertEqual(tuple(links_of(page)[:3]), expected)
        for letter in LETTERS:
            with self.subTest(contents=letter):
                hrefs = links_of(f"qxcr{letter}.qx")
                self.assertEqual(hrefs[5], f"qx{letter}.qx")
                self.assertEqual(hrefs[6:30], [f"qx{mm:02d}0001.qx" for mm in range(1, 25)])

    def test_every_link_leads_to_a_served_file(self):
        for path in sorted(BASE_DIR.glob("*.qx")):
            hrefs = links_of(path.name)
            with self.subTest(page=path.name):
                self.assertGreaterEqual(len(hrefs), 3)
                for href in hrefs:
                    self.assertNotRegex(href, r"^/|://", "links are relative")
                    self.assertTrue((BASE_DIR / href).is_file(), href)

    def test_next_and_previous_walk_the_whole_course(self):
        """>> from module 1's entry page reads every module page in order and returns to the
        start page; << retraces the same road."""
        expected = []
        for mm in range(1, 25):
            topics = len(make_course.MODULES[mm - 1]["topics"])
            expected += [f"qx{mm:02d}{p:04d}.qx" for p in range(1, topics + 3)]
            expected += [f"qx{mm:02d}{OBJ_REV[mm][0]:04d}.qx", f"qx{mm:02d}{OBJ_REV[mm][1]:04d}.qx"]
        road, page = [], "qx010001.qx"
        for _ in range(len(expected) + 1):
            road.append(page)
            page = links_of(page)[2]
            if page == "qxa.qx":
                break
        self.assertEqual(road, expected)
        back, page = [], expected[-1]
        for _ in range(len(expected) + 1):
            back.append(page)
            page = links_of(page)[1]
            if page == "qxa.qx":
                break
        self.assertEqual(back, expected[::-1])
        for name in expected:
            mm = name[2:4]
            self.assertEqual(links_of(name)[0], f"qx{mm}0001.qx", name)

    def test_catalogue_of_names(self):
        names = {p.name for p in BASE_DIR.glob("*.qx")}
        required = {"search.qx", "index.qx", "hist.qx", "title.qx"}
        for letter in LETTERS:
            required |= {f"qx{letter}.qx", f"qxcr{letter}.qx", f"qxprac{letter}.qx",
                         f"qxsumm{letter}.qx", f"qxtech{letter}.qx", f"qxtvid{letter}.qx"}
            for mm in range(1, 25):
                required |= {f"mod{mm:02d}{letter}.qx", f"obj{mm:02d}{letter}.qx",
                             f"rev{mm:02d}{letter}.qx"}
        self.assertEqual(required - names, set())
        self.assertNotIn("qx240026.qx", names)
        for family in ("fig", "ttv", "v"):
            self.assertTrue(any(n.startswith(family) for n in names), family)
        for letter in LETTERS:
            text = (BASE_DIR / f"mod05{letter}.qx").read_text(encoding="utf-8")
            self.assertIn(f"Layout {letter}", text)
            self.assertIn(f"width: {make_course.LAYOUTS[letter][0]}px", text)

    def test_media_lie_where_the_trigger_pages_point(self):
        inventory = json.loads((OUT / "course.json").read_text(encoding="utf-8"))
        if not shutil.which("ffmpeg"):
            self.skipTest("ffmpeg is missing, so the course has no videos")
        triggers = sorted(p.name for p in BASE_DIR.glob("*.qx")
                          if p.name == "title.qx" or p.name[:3] in ("fig", "ttv") or p.name[0] == "v")
        for name in triggers:
            stem = name[:name.index(".qx")]
            if name == "title.qx":
                address = "/qx/title.avi"
            elif name.startswith("ttv"):
                address = "/techtips/tt" + name[3:5] + ".avi"
            elif name.startswith("fig"):
                address = "c" + name[3:5] + "/" + stem + ".avi"
            else:
                address = "c" + name[1:3] + "/" + stem + ".wav"
            with self.subTest(page=name):
                status, headers, body = fetch("/qx_cbt/qx2/" + address)
                self.assertEqual(status, 200)
                kind = "audio/wav" if address.endswith(".wav") else "video/x-msvideo"
                self.assertEqual(headers["Content-Type"], kind)
                self.assertEqual(body[:4], b"RIFF")
                self.assertEqual(body[8:12], b"WAVE" if kind == "audio/wav" else b"AVI ")
        pictures = [BASE_DIR / p["name"] for p in inventory["pictures"]]
        pictures += [OUT / p["name"] for p in inventory["help"]]
        self.assertEqual(len(pictures), 24 + 2)
        for path in pictures:
            self.assertEqual(path.read_bytes()[:2], b"\xff\xd8", path)


class SearchDataTests(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if not INDEXER.is_file():
            raise unittest.SkipTest(f"{INDEXER} is not built; set TAVRIN_INDEX to the built tavrin-index")
        cls.files = (OUT / "files.qx").read_bytes()
        cls.words = (OUT / "words.qx").read_bytes()

    def lines(self, data):
        self.assertTrue(data.endswith(b"\r\n"))
        body = data[:-2].split(b"\r\n")
        for line in body:
            self.assertNotIn(b"\r", line)
            self.assertNotIn(b"\n", line)
        return [line.decode("cp1252") for line in body]

    def search(self, text):
        """The page names that the reader's search lists for `text`, in its order: a word
        matches a term when it begins with it, both upper-cased in Windows-1252; pages come
        word by word in the file's order, each once; two words find the pages of the first
        that also hold the second."""
        pages = [line.split("\t", 2)[1] for line in self.lines(self.files)]
        entries = [line.split("\t", 1) for line in self.lines(self.words)]

        def hits(term):
            try:
                key = term.encode("cp1252").translate(UPPER)
            except UnicodeEncodeError:
                return []
            return [pages[int(n) - 1] for word, rest in entries
                    if word.strip().encode("cp1252").translate(UPPER).startswith(key)
                    for n in rest.split("\t") if n]

        text = text.strip()
        if " " not in text:
            return list(dict.fromkeys(hits(text)))
        first, rest = text.split(" ", 1)
        second = set(hits(rest.strip().split(" ")[0]))
        return list(dict.fromkeys(p for p in hits(first) if p in second))

    def titles(self, names):
        title = {line.split("\t", 2)[1]: line.split("\t", 2)[2] for line in self.lines(self.files)}
        return [title[name] for name in names]

    def test_files_qx_lists_the_searchable_pages(self):
        lines = self.lines(self.files)
        names = []
        for k, line in enumerate(lines, 1):
            number, name, title = line.split("\t", 2)
            self.assertEqual(int(number), k)
            self.assertTrue((BASE_DIR / name).is_file(), name)
            self.assertTrue(title.strip())
            self.assertNotRegex(name, r"^(mod|obj|rev|fig|ttv|v|qxprac|qxsumm|qxtech|qxtvid)"
                                      r"|^(search|index|hist|title)\.qx$")
            names.append(name)
        for mm, (obj, rev) in OBJ_REV.items():
            for page in (f"qx{mm:02d}0001.qx", f"qx{mm:02d}{obj:04d}.qx", f"qx{mm:02d}{rev:04d}.qx"):
                self.assertIn(page, names)
        self.assertLessEqual(len(lines), 12400)
        self.assertIn("Module 2 – Ohm's law: current, voltage and resistance",
                      [line.split("\t", 2)[2] for line in lines])

    def test_words_qx_points_at_pages_that_hold_the_word(self):
        files = [line.split("\t", 2)[1] for line in self.lines(self.files)]
        page_text = {}
        lines = self.lines(self.words)
        self.assertLessEqual(len(lines), 12400)
        keys = [line.split("\t", 1)[0].encode("cp1252") for line in lines]
        self.assertEqual(keys, sorted(keys), "words.qx is in the order of the Windows-1252 codes")
        seen = set()
        for line in lines:
            word, rest = line.split("\t", 1)
            self.assertNotIn(word, seen)
            seen.add(word)
            self.assertEqual(word.encode("cp1252"), word.encode("cp1252").translate(UPPER))
            self.assertTrue(rest.endswith("\t"), word)
            numbers = [int(n) for n in rest[:-1].split("\t")]
            self.assertEqual(numbers, sorted(set(numbers)), word)
            for n in numbers:
                self.assertTrue(1 <= n <= len(files), (word, n))
                name = files[n - 1]
                if name not in page_text:
                    page_text[name] = html.unescape(
                        (BASE_DIR / name).read_text(encoding="utf-8")).lower()
                self.assertIn(word.lower(), page_text[name], (word, name))
        # Words beyond ASCII and words of the module titles are indexed.
        for word in ("WIDERSTÄNDE", "THÉVENIN", "µF", "KONDENSATOR", "CAPACITOR", "RESISTANCE"):
            self.assertIn(word, seen)
        # Common words are not.
        for word in ("THE", "AND", "OF"):
            self.assertNotIn(word, seen)

    def test_searching_finds_what_a_reader_expects(self):
        cases = [
            # (typed text, a title that must be among the results)
            ("capacitor", "Module 7 – Capacitors"),
            ("  Resist ", "Module 2 – Resistance and Ohm's law"),
            ("widerstände", "Module 2 – Summary and glossary"),
            ("ohm law", "Module 2 – Resistance and Ohm's law"),
            ("ohm   law meter", "Module 2 – Resistance and Ohm's law"),
            ("µf", "Module 7 – Capacitance and charge"),
            ("welcome", "Start page – Tavrin Electronics"),
        ]
        for text, title in cases:
            with self.subTest(text=text):
                found = self.search(text)
                self.assertIn(title, self.titles(found))
                self.assertEqual(len(found), len(set(found)))
                # Only layout a's start and contents pages are ever listed.
                self.assertEqual([n for n in found if re.fullmatch(r"qx(cr)?[b-g]\.qx", n)], [])
        self.assertEqual(self.search("resist"), self.search("RESIST"))
        self.assertEqual(self.search("ohm law"), self.search("ohm  law"))
        self.assertTrue(set(self.search("ohm law")) <= set(self.search("ohm")) & set(self.search("law")))
        for text in ("kΩ", "zzzz", "2n3904"):
            with self.subTest(finds_nothing=text):
                self.assertEqual(self.search(text), [])

    def test_output_is_the_same_on_every_run(self):
        with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
            for folder, seed in ((a, "1"), (b, "2")):
                subprocess.run([sys.executable, str(HERE / "make_course.py"), "--out", folder,
                                "--no-media"], check=True, stdout=subprocess.DEVNULL, timeout=120,
                               env=dict(os.environ, PYTHONHASHSEED=seed))
                make_search_data(Path(folder, "qx_cbt", "qx2"), folder)
            for name in ("files.qx", "words.qx", "qx_cbt/qx2/qxcra.qx", "qx_cbt/qx2/rev24g.qx"):
                self.assertEqual(Path(a, name).read_bytes(), Path(b, name).read_bytes(), name)
            self.assertEqual(Path(a, "words.qx").read_bytes(), self.words)


class ServerTests(unittest.TestCase):

    def test_byte_ranges(self):
        path = "/qx_cbt/qx2/qx/title.avi" if (BASE_DIR / "qx/title.avi").exists() \
            else "/qx_cbt/qx2/qxa.qx"
        whole = (BASE_DIR / path[len("/qx_cbt/qx2/"):]).read_bytes()
        size = len(whole)
        cases = [
            ("bytes=0-99", 206, f"bytes 0-99/{size}", whole[:100]),
            ("bytes=100-", 206, f"bytes 100-{size - 1}/{size}", whole[100:]),
            ("bytes=-10", 206, f"bytes {size - 10}-{size - 1}/{size}", whole[-10:]),
            (f"bytes={size - 5}-{size + 500}", 206, f"bytes {size - 5}-{size - 1}/{size}", whole[-5:]),
            (f"bytes={size}-", 416, f"bytes */{size}", None),
            ("bytes=0-1,5-6", 200, None, whole),
        ]
        for header, status, content_range, body in cases:
            with self.subTest(range=header):
                got_status, headers, got = fetch(path, headers={"Range": header})
                self.assertEqual(got_status, status)
                self.assertEqual(headers.get("Content-Range"), content_range)
                if body is not None:
                    self.assertEqual(got, body)
                    self.assertEqual(int(headers["Content-Length"]), len(body))
                    self.assertEqual(headers["Accept-Ranges"], "bytes")

    def test_paths_and_types(self):
        page = (BASE_DIR / "qx010001.qx").read_bytes()
        cases = [
            ("/qx_cbt/qx2/qx010001.qx", 200, "text/html; charset=utf-8", page),
            ("/qx_cbt//qx2///qx010001.qx", 200, "text/html; charset=utf-8", page),
            ("/qx_cbt/qx2/qx010001.qx?x=1", 200, "text/html; charset=utf-8", page),
            ("/qx_cbt/qx2/qx240026.qx", 404, None, None),
            ("/qx_cbt/qx2/", 404, None, None),
            ("/qx_cbt/qx2/../../../../etc/passwd", 403, None, None),
            ("/qx_cbt/qx2/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd", 403, None, None),
        ]
        if (BASE_DIR / "qx/title.avi").exists():
            cases.append(("/qx_cbt/qx2//qx/title.avi", 200, "video/x-msvideo",
                          (BASE_DIR / "qx/title.avi").read_bytes()))
            cases.append(("/qx_cbt/qx2/c01/pic0101.jpg", 200, "image/jpeg",
                          (BASE_DIR / "c01/pic0101.jpg").read_bytes()))
        for path, status, kind, body in cases:
            with self.subTest(path=path):
                got_status, headers, got = fetch(path)
                self.assertEqual(got_status, status)
                if kind:
                    self.assertEqual(headers["Content-Type"], kind)
                    self.assertEqual(got, body)
        status, headers, got = fetch("/qx_cbt/qx2/qx010001.qx", method="HEAD")
        self.assertEqual((status, int(headers["Content-Length"]), got), (200, len(page), b""))

    def test_server_prints_its_address_and_stops_on_a_signal(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=sig.name):
                proc, line = start_server(OUT)
                try:
                    self.assertRegex(line, r"^http://127\.0\.0\.1:\d+/qx_cbt/qx2/$")
                    self.assertNotEqual(int(line.split(":")[2].split("/")[0]), PORT)
                    proc.send_signal(sig)
                    self.assertEqual(proc.wait(10), 0)
                    self.assertEqual(proc.stderr.read(), "")
                finally:
                    if proc.poll() is None:
                        proc.kill()
                        proc.wait(10)
                    proc.stdout.close()
                    proc.stderr.close()


if __name__ == "__main__":
    unittest.main()
