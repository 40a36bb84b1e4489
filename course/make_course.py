#!/usr/bin/python3
"""Makes the sample electronics course.

    make_course.py --out DIR [--no-media]

writes the course pages and media under DIR/qx_cbt/qx2/, the help pictures
under DIR/help/ and a small inventory DIR/course.json.  The output depends
only on this script, its text module and the versions of the media tools, so
re-running it gives the same files; it replaces what an earlier run left in
those places.  The search data, files.qx and words.qx, are made from the
pages by tavrin-index (tools/indexer).

Pages are UTF-8 HTML files named "*.qx".  Every course page starts with a
bar holding its Section, previous and next links, in that order, because the
reader takes links 0, 1 and 2 of a page as the targets of those buttons.
"""

import argparse
import concurrent.futures
import html
import json
import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from course_text import MODULES, NUMBER_WORDS, TECH_TIPS  # noqa: E402

LETTERS = "abcdefg"

# Layout of each screen class: body width and font size in pixels, and the
# screens it is made for.
LAYOUTS = {
    "a": (780, 13, "small screens, up to 1280 × 720"),
    "b": (980, 14, "1024 × 768 and 1366 × 768"),
    "c": (1040, 15, "1280 × 800"),
    "d": (1120, 16, "1280 × 1024"),
    "e": (1300, 17, "1440 × 900 to 1680 × 1050"),
    "f": (1560, 19, "1920 × 1080"),
    "g": (1820, 21, "2560 × 1440 and larger"),
}

# Objectives and review page numbers within each module.  Module 24's review
# page does not follow its objectives page.
OBJ_REV = {
    1: (196, 197), 2: (216, 217), 3: (97, 98), 4: (146, 147), 5: (114, 115), 6: (126, 127),
    7: (119, 120), 8: (169, 170), 9: (109, 110), 10: (107, 108), 11: (134, 135), 12: (70, 71),
    13: (151, 152), 14: (133, 134), 15: (128, 129), 16: (172, 173), 17: (103, 104), 18: (108, 109),
    19: (188, 189), 20: (163, 164), 21: (146, 147), 22: (129, 130), 23: (325, 326), 24: (25, 326),
}

# Figure videos: module -> indexes of the topics that show one (numbered 01, 02, ... per module).
FIGURES = {2: [0], 3: [1], 7: [0, 2], 9: [0], 10: [0, 3], 12: [2], 14: [1], 16: [2], 19: [1],
           20: [2], 24: [2]}
# Modules whose entry page has a spoken introduction ("vMM01.qx").
NARRATED = [1, 2, 7, 10, 14, 19, 24]
# Tech tips linked from topic pages: (module, topic index) -> tip number.
TIP_LINKS = {(1, 3): 4, (3, 0): 2, (14, 0): 1, (19, 0): 3}
# Modules offered on the start pages as places to begin.
START_MODULES = [1, 7, 14, 21]

PICTURE_SIZE = (400, 300)
HELP_PICTURES = {"main_help.jpg": (820, 692), "side_help.jpg": (800, 640)}
COURSE_NAME = "Tavrin Electronics"


# ---------------------------------------------------------------- page names

def qx(mm, p):
    return f"qx{mm:02d}{p:04d}.qx"


def entry_page(mm):
    return qx(mm, 1)


def topic_page(mm, i):
    return qx(mm, 2 + i)


def summary_page(mm):
    return qx(mm, 2 + len(MODULES[mm - 1]["topics"]))


def objectives_page(mm):
    return qx(mm, OBJ_REV[mm][0])


def review_page(mm):
    return qx(mm, OBJ_REV[mm][1])


def start_page(letter):
    return f"qx{letter}.qx"


def contents_page(letter):
    return f"qxcr{letter}.qx"


def figure_page(mm, n):
    return f"fig{mm:02d}{n:02d}.qx"


def narration_page(mm, n):
    return f"v{mm:02d}{n:02d}.qx"


def tip_page(n):
    return f"ttv{n:02d}.qx"


def picture_name(mm):
    return f"c{mm:02d}/pic{mm:02d}01.jpg"


def module_chain(mm):
    """The module's pages in reading order."""
    topics = MODULES[mm - 1]["topics"]
    return ([entry_page(mm)] + [topic_page(mm, i) for i in range(len(topics))]
            + [summary_page(mm), objectives_page(mm), review_page(mm)])


def module_label(mm):
    return f"Module {mm} – {MODULES[mm - 1]['title']}"


def figures_of(mm):
    """(number, topic index) of each figure video of a module."""
    return [(n + 1, t) for n, t in enumerate(FIGURES.get(mm, []))]


# ---------------------------------------------------------------- HTML

CSS = """
body { margin: 0; background: #f6f5ef; color: #222; font-family: "DejaVu Sans", Arial, sans-serif; }
nav.bar { background: #1c3a5e; padding: 6px 14px; }
nav.bar a { color: #fff; margin-right: 1.4em; font-weight: bold; text-decoration: none; }
nav.bar .layout { float: right; color: #1c3a5e; background: #f2c14e; padding: 0 8px; border-radius: 3px; }
nav.tools { margin: 8px 0; }
nav.tools a { margin-right: 1.4em; }
main { margin: 0 auto; padding: 10px 20px 30px; max-width: 46em; line-height: 1.45; }
h1 { font-size: 150%; color: #1c3a5e; }
.formula { font-family: "DejaVu Serif", serif; background: #e8eef5; border-left: 4px solid #1c3a5e; padding: 6px 10px; }
.example { background: #fff6e0; border-left: 4px solid #d08a00; padding: 6px 10px; }
.aim { font-style: italic; }
figure img { border: 1px solid #999; }
table { border-collapse: collapse; }
td, th { border: 1px solid #bbb; padding: 3px 8px; text-align: left; }
""".strip()


def layout_css(letter):
    width, font, _ = LAYOUTS[letter]
    return f"main {{ width: {width}px; max-width: none; font-size: {font}px; }}"


def esc(text):
    return html.escape(text, quote=False)


def link(href, text):
    return f'<a href="{html.escape(href, quote=True)}">{esc(text)}</a>'


def render(title, nav, main_html, letter=None):
    """A whole page: the nav bar with Section, previous and next first, then the text."""
    section, prev, nxt = nav
    layout = f'<span class="layout">Layout {letter}</span>' if letter else ""
    style = CSS + ("\n" + layout_css(letter) if letter else "")
    body_class = f' class="layout-{letter}"' if letter else ""
    return (
        "<!DOCTYPE html>\n"
        '<html lang="en">\n<head>\n<meta charset="utf-8">\n'
        f"<title>{esc(title)}</title>\n<style>\n{style}\n</style>\n</head>\n"
        f"<body{body_class}>\n"
        f'<nav class="bar">{link(section, "Section")} {link(prev, "<< Previous")} '
        f'{link(nxt, "Next >>")}{layout}</nav>\n'
        f"<main>\n{main_html}\n</main>\n</body>\n</html>\n"
    )


# ---------------------------------------------------------------- page texts

def module_home_html(mm):
    mod = MODULES[mm - 1]
    parts = [f"<h1>{esc(module_label(mm))}</h1>", f"<p>{esc(mod['intro'])}</p>"]
    w, h = PICTURE_SIZE
    parts.append(f'<figure><img src="{picture_name(mm)}" width="{w // 2}" height="{h // 2}" '
                 f'alt="Circuit card for module {mm}"><figcaption>Circuit card: '
                 f"{esc(mod['short'])}</figcaption></figure>")
    media = []
    if mm in NARRATED:
        media.append(link(narration_page(mm, 1), "Listen to the introduction"))
    for n, t in figures_of(mm):
        media.append(link(figure_page(mm, n), f"Watch Figure {mm}.{n}: {mod['topics'][t]['h']}"))
    if media:
        parts.append("<p>" + " · ".join(media) + "</p>")
    parts.append("<h2>In this module</h2>\n<ol>")
    for i, t in enumerate(mod["topics"]):
        parts.append(f"<li>{link(topic_page(mm, i), t['h'])}</li>")
    parts.append(f"<li>{link(summary_page(mm), 'Summary and glossary')}</li>")
    parts.append("</ol>")
    parts.append(f"<p>When you have finished, check the {link(objectives_page(mm), 'objectives')} "
                 f"and try the {link(review_page(mm), 'review questions')}.</p>")
    return "\n".join(parts)


def topic_html(mm, i):
    mod = MODULES[mm - 1]
    t = mod["topics"][i]
    parts = [f"<h1>{esc(module_label(mm))}</h1>",
             f"<h2>{mm}.{i + 1} {esc(t['h'])}</h2>",
             f'<p class="aim">In this section you learn to {esc(t["obj"])}.</p>',
             f"<p>{esc(t['p'])}</p>"]
    if t["f"]:
        parts.append(f'<p class="formula">{esc(t["f"])}</p>')
    parts.append(f'<p class="example"><b>Worked example.</b> {esc(t["ex"])}</p>')
    media = [link(figure_page(mm, n), f"Watch the animation: Figure {mm}.{n}")
             for n, ti in figures_of(mm) if ti == i]
    tip = TIP_LINKS.get((mm, i))
    if tip:
        media.append(link(tip_page(tip), f"Tech tip: {TECH_TIPS[tip - 1][0]}"))
    if media:
        parts.append("<p>" + " · ".join(media) + "</p>")
    topics = mod["topics"]
    if i + 1 < len(topics):
        follow = link(topic_page(mm, i + 1), f"{mm}.{i + 2} {topics[i + 1]['h']}")
    else:
        follow = link(summary_page(mm), "Summary and glossary")
    parts.append(f"<p>Next: {follow}</p>")
    return "\n".join(parts)


def summary_html(mm):
    mod = MODULES[mm - 1]
    parts = [f"<h1>{esc(module_label(mm))}</h1>", "<h2>Summary</h2>",
             f"<p>{esc(mod['intro'].split('. ')[0])}. The main results of this module:</p>",
             "<table>\n<tr><th>Topic</th><th>Key relation</th></tr>"]
    for t in mod["topics"]:
        rel = t["f"] if t["f"] else t["obj"][0].upper() + t["obj"][1:] + "."
        parts.append(f"<tr><td>{esc(t['h'])}</td><td>{esc(rel)}</td></tr>")
    parts.append("</table>")
    parts.append("<h2>Glossary</h2>")
    parts.append("<p>Datasheets and catalogues from abroad use these terms:</p>")
    parts.append("<table>\n<tr><th>English</th><th>Deutsch</th><th>Français</th></tr>")
    for en, de, fr in mod["gloss"]:
        parts.append(f"<tr><td>{esc(en)}</td><td>{esc(de)}</td><td>{esc(fr)}</td></tr>")
    parts.append("</table>")
    parts.append(f"<p>Next: {link(objectives_page(mm), 'the objectives of this module')}</p>")
    return "\n".join(parts)


def objectives_html(mm):
    mod = MODULES[mm - 1]
    parts = [f"<h1>{esc(module_label(mm))}</h1>", "<h2>Objectives</h2>",
             f"<p>When you have worked through Module {mm} you should be able to:</p>", "<ul>"]
    for i, t in enumerate(mod["topics"]):
        parts.append(f"<li>{esc(t['obj'])} ({link(topic_page(mm, i), f'section {mm}.{i + 1}')})</li>")
    parts.append("</ul>")
    parts.append("<p>If one of them is not yet clear, go back to its section before you try the "
                 f"{link(review_page(mm), 'review questions')}.</p>")
    return "\n".join(parts)


def review_html(mm):
    mod = MODULES[mm - 1]
    parts = [f"<h1>{esc(module_label(mm))}</h1>", "<h2>Review questions</h2>",
             "<p>Work each question on paper before you open its answer.</p>", "<ol>"]
    for t in mod["topics"]:
        parts.append(f"<li>{esc(t['q'])}\n<details><summary>Answer</summary>{esc(t['a'])}"
                     "</details></li>")
    parts.append("</ol>")
    if mm < len(MODULES):
        parts.append(f"<p>Next: {link(entry_page(mm + 1), module_label(mm + 1))}</p>")
    else:
        parts.append("<p>This is the end of the course. Well done! "
                     f"{link(start_page('a'), 'Back to the start page')}</p>")
    return "\n".join(parts)


def start_html(letter):
    _, _, screens = LAYOUTS[letter]
    parts = [f"<h1>{COURSE_NAME}</h1>",
             "<p><b>A self-study course in 24 modules, from Ohm's law to microcontrollers.</b></p>",
             "<p>Welcome. The course starts with charge, current and voltage and builds up, one "
             "module at a time, through resistor networks, capacitors and inductors, alternating "
             "current, semiconductors and amplifiers to digital logic and microcontrollers. Each "
             "module has a few short sections with worked examples, a summary with a small "
             "glossary, a list of objectives and review questions.</p>",
             "<p>Use Contents to reach the list of modules, &lt;&lt; and &gt;&gt; to turn the pages, Section "
             "to return to the first page of a module, Search to find pages by word and History "
             "to see where you have been.</p>",
             f"<p>This page is laid out for {esc(screens)}.</p>",
             "<ul>",
             f"<li>{link('title.qx', 'Watch the introduction')}</li>",
             f"<li>{link(tip_page(1), 'Tech tip: ' + TECH_TIPS[0][0])}</li>",
             "</ul>",
             "<h2>Where to start</h2>", "<ul>"]
    for mm in START_MODULES:
        parts.append(f"<li>{link(entry_page(mm), module_label(mm))}</li>")
    parts.append("</ul>")
    parts.append("<h2>More</h2>\n<ul>")
    for name, text in further_pages(letter):
        parts.append(f"<li>{link(name, text)}</li>")
    parts.append(f"<li>{link('search.qx', 'Search the course')}</li>")
    parts.append(f"<li>{link('index.qx', 'Word index')}</li>")
    parts.append(f"<li>{link('hist.qx', 'Your history')}</li>")
    parts.append("</ul>")
    return "\n".join(parts)


def contents_html(letter):
    parts = [f"<h1>{COURSE_NAME} – Contents</h1>",
             '<nav class="tools">' + link("search.qx", "Search") + " " + link("index.qx", "Index")
             + " " + link(start_page(letter), "Back to the start page") + "</nav>",
             "<p>The 24 modules of the course. Each builds on the ones before it.</p>",
             "<ol>"]
    for mm in range(1, len(MODULES) + 1):
        parts.append(f"<li>{link(entry_page(mm), module_label(mm))}</li>")
    parts.append("</ol>")
    parts.append("<h2>Also in the course</h2>\n<ul>")
    for name, text in further_pages(letter):
        parts.append(f"<li>{link(name, text)}</li>")
    parts.append("</ul>")
    return "\n".join(parts)


def further_pages(letter):
    return [(f"qxprac{letter}.qx", "Practice questions"),
            (f"qxsumm{letter}.qx", "Course summary"),
            (f"qxtech{letter}.qx", "Tech tips"),
            (f"qxtvid{letter}.qx", "Videos")]


def practice_html():
    parts = ["<h1>Practice questions</h1>",
             "<p>Two questions from every module. Try them without notes, then open the answer.</p>",
             "<ol>"]
    for mm, mod in enumerate(MODULES, 1):
        for t in (mod["topics"][0], mod["topics"][2]):
            parts.append(f"<li>(Module {mm}) {esc(t['q'])}\n<details><summary>Answer</summary>"
                         f"{esc(t['a'])}</details></li>")
    parts.append("</ol>")
    return "\n".join(parts)


def course_summary_html():
    parts = ["<h1>Course summary</h1>",
             "<p>What each module is about, in one sentence.</p>", "<dl>"]
    for mm, mod in enumerate(MODULES, 1):
        parts.append(f"<dt>{link(entry_page(mm), module_label(mm))}</dt>"
                     f"<dd>{esc(mod['intro'].split('. ')[0])}.</dd>")
    parts.append("</dl>")
    return "\n".join(parts)


def tech_list_html():
    parts = ["<h1>Tech tips</h1>",
             "<p>Short workshop videos. Press Esc to stop a video.</p>", "<ul>"]
    for n, (title, text) in enumerate(TECH_TIPS, 1):
        parts.append(f"<li>{link(tip_page(n), title)}: {esc(text)}</li>")
    parts.append("</ul>")
    return "\n".join(parts)


def video_list_html():
    parts = ["<h1>Videos</h1>", "<ul>", f"<li>{link('title.qx', 'Introduction to the course')}</li>"]
    for mm, mod in enumerate(MODULES, 1):
        for n, t in figures_of(mm):
            parts.append(f"<li>{link(figure_page(mm, n), f'Figure {mm}.{n}: ' + mod['topics'][t]['h'])}"
                         f" (Module {mm})</li>")
    parts.append("</ul>")
    return "\n".join(parts)


def small_html(heading, text):
    return f"<h1>{esc(heading)}</h1>\n<p>{esc(text)}</p>"


# ---------------------------------------------------------------- the course

class Course:
    """All pages: name -> HTML."""

    def __init__(self):
        self.pages = {}

    def add(self, name, title, nav, main_html, letter=None):
        assert name not in self.pages, name
        self.pages[name] = render(title, nav, main_html, letter)


def build_course():
    c = Course()
    n_mod = len(MODULES)
    first = entry_page(1)

    # Start and contents pages of every layout.
    for letter in LETTERS:
        suffix = "" if letter == "a" else f" (layout {letter})"
        c.add(start_page(letter), f"Start page – {COURSE_NAME}{suffix}",
              (contents_page(letter), start_page(letter), first), start_html(letter), letter)
    for letter in LETTERS:
        suffix = "" if letter == "a" else f" (layout {letter})"
        c.add(contents_page(letter), f"Contents – the 24 modules{suffix}",
              (start_page(letter), start_page(letter), first), contents_html(letter), letter)

    # Module pages, chained entry -> topics -> summary -> objectives -> review -> next module.
    navs = {}
    for mm in range(1, n_mod + 1):
        mod = MODULES[mm - 1]
        chain = module_chain(mm)
        before = review_page(mm - 1) if mm > 1 else start_page("a")
        after = entry_page(mm + 1) if mm < n_mod else start_page("a")
        for i, name in enumerate(chain):
            prev = chain[i - 1] if i else before
            nxt = chain[i + 1] if i + 1 < len(chain) else after
            navs[name] = (entry_page(mm), prev, nxt)
        c.add(entry_page(mm), module_label(mm), navs[entry_page(mm)], module_home_html(mm))
        for i, t in enumerate(mod["topics"]):
            c.add(topic_page(mm, i), f"Module {mm} – {t['h']}", navs[topic_page(mm, i)],
                  topic_html(mm, i))
        c.add(summary_page(mm), f"Module {mm} – Summary and glossary", navs[summary_page(mm)],
              summary_html(mm))
        c.add(objectives_page(mm), f"Module {mm} – Objectives", navs[objectives_page(mm)],
              objectives_html(mm))
        c.add(review_page(mm), f"Module {mm} – Review questions", navs[review_page(mm)],
              review_html(mm))

    # Class pages: the layout variants of each module's entry, objectives and review page,
    # with the links of the page they stand for.
    for mm in range(1, n_mod + 1):
        for letter in LETTERS:
            c.add(f"mod{mm:02d}{letter}.qx", f"{module_label(mm)} (layout {letter})",
                  navs[entry_page(mm)], module_home_html(mm), letter)
            c.add(f"obj{mm:02d}{letter}.qx", f"Module {mm} – Objectives (layout {letter})",
                  navs[objectives_page(mm)], objectives_html(mm), letter)
            c.add(f"rev{mm:02d}{letter}.qx", f"Module {mm} – Review questions (layout {letter})",
                  navs[review_page(mm)], review_html(mm), letter)

    # Further class pages, chained start -> practice -> summary -> tech tips -> videos -> start.
    for letter in LETTERS:
        names = [name for name, _ in further_pages(letter)]
        bodies = [practice_html(), course_summary_html(), tech_list_html(), video_list_html()]
        titles = ["Practice questions", "Course summary", "Tech tips", "Videos"]
        ring = [start_page(letter)] + names + [start_page(letter)]
        for i, name in enumerate(names):
            c.add(name, f"{titles[i]} (layout {letter})",
                  (start_page(letter), ring[i], ring[i + 2]), bodies[i], letter)

    # Side-window trigger pages.
    home = (start_page("a"), start_page("a"), first)
    c.add("search.qx", "Search", home, small_html("Search", "Opening the search…"))
    c.add("index.qx", "Index", home, small_html("Index", "Opening the word index…"))
    c.add("hist.qx", "History", home, small_html("History", "Opening your history…"))

    # Media trigger pages; the reader steps back from them and plays the media.
    c.add("title.qx", "Introduction video", home,
          small_html("Introduction", "Playing the introduction video…"))
    for n, (title, _) in enumerate(TECH_TIPS, 1):
        c.add(tip_page(n), f"Tech tip {n}", home, small_html(f"Tech tip: {title}", "Playing the video…"))
    for mm in range(1, n_mod + 1):
        back = (entry_page(mm), entry_page(mm), entry_page(mm))
        for n, t in figures_of(mm):
            heading = MODULES[mm - 1]["topics"][t]["h"]
            c.add(figure_page(mm, n), f"Figure {mm}.{n}", back,
                  small_html(f"Figure {mm}.{n}: {heading}", "Playing the animation…"))
        if mm in NARRATED:
            c.add(narration_page(mm, 1), f"Module {mm} introduction", back,
                  small_html(module_label(mm), "Playing the spoken introduction…"))
    return c


# ---------------------------------------------------------------- media

FONT_CANDIDATES = [
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
]


def find_font():
    for path in FONT_CANDIDATES:
        if os.path.exists(path):
            return path
    return None


def filter_path(path):
    """A file name quoted for an ffmpeg filter option."""
    return str(path).replace("\\", "\\\\").replace(":", "\\:").replace("'", "\\'")


def run(cmd):
    return subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, check=False).returncode == 0


class Media:
    """Makes the videos, narration and pictures with whatever tools the machine has."""

    SECONDS = 3

    def __init__(self, tmp):
        self.tmp = Path(tmp)
        self.ffmpeg = shutil.which("ffmpeg")
        self.espeak = shutil.which("espeak-ng")
        self.sox = shutil.which("sox")
        self.convert = shutil.which("convert")
        self.font = find_font()
        self.failed = []

    def warnings(self):
        notes = []
        if not self.ffmpeg:
            notes.append("ffmpeg not found: the videos are left out")
        if not (self.espeak or self.sox or self.ffmpeg):
            notes.append("neither espeak-ng, sox nor ffmpeg found: the narration is left out")
        if not (self.convert or self.ffmpeg):
            notes.append("neither ImageMagick nor ffmpeg found: the pictures are left out")
        return notes

    def video(self, out, lines):
        if not self.ffmpeg:
            return False
        text = self.tmp / (out.stem + ".txt")
        text.write_text("\n".join(lines), encoding="utf-8")
        font = f":fontfile={filter_path(self.font)}" if self.font else ""
        d = self.SECONDS
        encode = ["-c:v", "mjpeg", "-q:v", "10", "-pix_fmt", "yuvj420p", "-an",
                  "-fflags", "+bitexact", "-flags:v", "+bitexact", "-map_metadata", "-1", str(out)]
        base = [self.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi"]
        drawn = base + ["-i", f"color=c=0x1c3a5e:s=320x240:r=8:d={d}", "-vf",
                        "drawbox=x='mod(t*100,300)':y=190:w=20:h=20:color=0xf2c14e:t=fill,"
                        f"drawtext=textfile={filter_path(text)}{font}:fontsize=18:fontcolor=white:"
                        "x=(w-tw)/2:y=50:line_spacing=8"] + encode
        if run(drawn):
            return True
        # No text drawing in this ffmpeg: a plain test pattern still plays.
        return run(base + ["-i", f"testsrc=s=320x240:r=8:d={d}"] + encode)

    def narration(self, out, words):
        raw = self.tmp / (out.stem + ".raw.wav")
        if self.espeak and run([self.espeak, "-v", "en", "-s", "165", "-w", str(raw), words]):
            # 16 kHz is plenty for speech and keeps the files small.
            if self.sox and run([self.sox, "-R", "-D", str(raw), "-r", "16000", str(out)]):
                return True
            if self.ffmpeg and run([self.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin",
                                    "-y", "-i", str(raw), "-ar", "16000", "-ac", "1",
                                    "-c:a", "pcm_s16le", "-fflags", "+bitexact",
                                    "-flags", "+bitexact", "-map_metadata", "-1", str(out)]):
                return True
            shutil.copyfile(raw, out)
            return True
        if self.sox and run([self.sox, "-R", "-D", "-n", "-r", "16000", "-b", "16", "-c", "1", str(out),
                             "synth", "2", "sine", "440", "fade", "q", "0.05", "2", "0.2"]):
            return True
        return bool(self.ffmpeg) and run([self.ffmpeg, "-hide_banner", "-loglevel", "error",
                                          "-nostdin", "-y", "-f", "lavfi", "-i",
                                          "sine=frequency=440:duration=2", "-ar", "16000",
                                          "-fflags", "+bitexact", "-flags", "+bitexact",
                                          "-map_metadata", "-1", str(out)])

    def picture(self, out, size, heading, lines, circuit=True):
        w, h = size
        if self.convert:
            cmd = [self.convert, "-size", f"{w}x{h}", "xc:white"]
            if circuit:
                cmd += ["-fill", "none", "-stroke", "#1c3a5e", "-strokewidth", "3",
                        "-draw", "rectangle 60,100 340,240",
                        # the cell on the left side
                        "-stroke", "white", "-draw", "line 60,158 60,182",
                        "-stroke", "#1c3a5e", "-draw", "line 40,160 80,160",
                        "-draw", "line 50,180 70,180",
                        # a resistor on top, a lamp on the right
                        "-fill", "white", "-draw", "rectangle 170,90 230,110",
                        "-draw", "circle 340,170 340,186",
                        "-draw", "line 329,159 351,181", "-draw", "line 351,159 329,181"]
            cmd += ["-stroke", "none", "-fill", "#1c3a5e"]
            if self.font:
                cmd += ["-font", self.font]
            big, small, step = (22, 15, 22) if circuit else (32, 22, 34)
            cmd += ["-pointsize", str(big), "-annotate", f"+20+{big + 18}", heading.replace("%", "%%"),
                    "-pointsize", str(small)]
            y = h - 30 if circuit else 2 * big + 50
            for line in lines:
                cmd += ["-annotate", f"+20+{y}", line.replace("%", "%%")]
                y += step
            cmd += ["-strip", "-quality", "80", str(out)]
            if run(cmd):
                return True
        if not self.ffmpeg:
            return False
        text = self.tmp / (out.stem + ".txt")
        text.write_text("\n".join([heading] + lines), encoding="utf-8")
        font = f":fontfile={filter_path(self.font)}" if self.font else ""
        return run([self.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                    "-f", "lavfi", "-i", f"color=c=white:s={w}x{h}", "-frames:v", "1", "-vf",
                    f"drawtext=textfile={filter_path(text)}{font}:fontsize=18:fontcolor=0x1c3a5e:"
                    "x=20:y=20:line_spacing=8", "-q:v", "4", "-fflags", "+bitexact",
                    "-flags:v", "+bitexact", str(out)])


HELP_TEXT = {
    "main_help.jpg": ("Help: the course window", [
        "Contents   the start page; on the start page, the list of modules",
        "Print   print this page",
        "Search   find the pages that hold a word",
        "Back   the page you came from",
        "<< and >>   the previous and the next page",
        "History   the pages you have visited",
        "Calc   the calculator",
        "Help   show or hide this picture",
        "Section   the first page of this module",
        "",
        "Alt+< and Alt+>, Page Up and Page Down also turn the pages.",
        "Esc stops a video. Alt+Q ends the course.",
    ]),
    "side_help.jpg": ("Help: search, index and history", [
        "Search   type one or two words and press Enter;",
        "         double-click a page to open it",
        "Index   type the first letters of a word;",
        "        double-click a word to search for it",
        "History   double-click a page to open it again",
        "",
        "Contents, Back, << and >> and Section act on the course window.",
        "Alt+Q ends the course.",
    ]),
}


def media_jobs(out, media):
    """(kind, file, function) for every media file of the course, each once."""
    base = out / "qx_cbt" / "qx2"
    jobs = [("video", base / "qx" / "title.avi",
             lambda p: media.video(p, [COURSE_NAME, "A self-study course", "in 24 modules"]))]
    for n, (title, _) in enumerate(TECH_TIPS, 1):
        lines = [f"Tech tip {n}"] + textwrap.wrap(title, 26)
        jobs.append(("video", base / "techtips" / f"tt{n:02d}.avi",
                     lambda p, lines=lines: media.video(p, lines)))
    for mm, mod in enumerate(MODULES, 1):
        folder = base / f"c{mm:02d}"
        for n, t in figures_of(mm):
            lines = [f"Figure {mm}.{n}"] + textwrap.wrap(mod["topics"][t]["h"], 26)
            jobs.append(("video", folder / f"fig{mm:02d}{n:02d}.avi",
                         lambda p, lines=lines: media.video(p, lines)))
        if mm in NARRATED:
            words = f"Module {NUMBER_WORDS[mm - 1]}. {mod['short']}."
            jobs.append(("narration", folder / f"v{mm:02d}01.wav",
                         lambda p, words=words: media.narration(p, words)))
        lines = textwrap.wrap(mod["title"], 44)
        jobs.append(("picture", base / picture_name(mm),
                     lambda p, mm=mm, lines=lines: media.picture(p, PICTURE_SIZE, f"Module {mm}", lines)))
    for name, size in HELP_PICTURES.items():
        heading, lines = HELP_TEXT[name]
        jobs.append(("help", out / "help" / name,
                     lambda p, size=size, heading=heading, lines=lines:
                     media.picture(p, size, heading, lines, circuit=False)))
    return jobs


def make_media(out, jobs, media):
    for _, path, _ in jobs:
        path.parent.mkdir(parents=True, exist_ok=True)
    workers = max(1, min(8, os.cpu_count() or 1))
    with concurrent.futures.ThreadPoolExecutor(max_workers=workers) as pool:
        results = list(pool.map(lambda job: job[2](job[1]), jobs))
    made = [(kind, path) for (kind, path, _), ok in zip(jobs, results) if ok]
    missing = [path for (_, path, _), ok in zip(jobs, results) if not ok]
    return made, missing


# ---------------------------------------------------------------- main

def write_course(out, with_media=True):
    out = Path(out)
    base = out / "qx_cbt" / "qx2"
    for old in (out / "qx_cbt", out / "help"):
        if old.exists():
            shutil.rmtree(old)
    base.mkdir(parents=True)

    course = build_course()
    for name, text in course.pages.items():
        (base / name).write_text(text, encoding="utf-8", newline="\n")

    made, missing, notes = [], [], []
    if with_media:
        with tempfile.TemporaryDirectory(prefix="tavrin-media-") as tmp:
            media = Media(tmp)
            notes = media.warnings()
            made, missing = make_media(out, media_jobs(out, media), media)
    for note in notes:
        print(f"warning: {note}", file=sys.stderr)
    if missing:
        print(f"warning: {len(missing)} media files could not be made, e.g. "
              f"{missing[0].relative_to(out)}", file=sys.stderr)

    def rel(path):
        return path.relative_to(base).as_posix() if base in path.parents else path.relative_to(out).as_posix()

    inventory = {
        "base": "qx_cbt/qx2/",
        "pages": len(course.pages),
        "videos": sorted(rel(p) for k, p in made if k == "video"),
        "narration": sorted(rel(p) for k, p in made if k == "narration"),
        "pictures": [{"name": rel(p), "width": PICTURE_SIZE[0], "height": PICTURE_SIZE[1]}
                     for k, p in sorted(made) if k == "picture"],
        "help": [{"name": rel(p), "width": HELP_PICTURES[p.name][0], "height": HELP_PICTURES[p.name][1]}
                 for k, p in sorted(made) if k == "help"],
    }
    (out / "course.json").write_text(json.dumps(inventory, indent=1, ensure_ascii=False) + "\n",
                                     encoding="utf-8")
    return inventory


def main(argv=None):
    parser = argparse.ArgumentParser(description="Make the sample electronics course.")
    parser.add_argument("--out", required=True, help="folder to write the course into")
    parser.add_argument("--no-media", action="store_true",
                        help="write only the pages")
    args = parser.parse_args(argv)
    inv = write_course(args.out, with_media=not args.no_media)
    media_count = len(inv["videos"]) + len(inv["narration"]) + len(inv["pictures"]) + len(inv["help"])
    print(f"course in {args.out}: {inv['pages']} pages, {media_count} media files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
