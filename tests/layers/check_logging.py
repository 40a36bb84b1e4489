#!/usr/bin/env python3
"""Checks that every logging category of the program is defined once, in the registry at the
bottom layer (src/platform/logging.cpp), and that the README and tavrin(1) list exactly those."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
DEFINED = re.compile(r'Q_LOGGING_CATEGORY\(\s*\w+\s*,\s*"([^"]+)"')
NAMED = re.compile(r"tavrin\.[a-z]+")


def main():
    faults = []
    registry = ROOT / "src/platform/logging.cpp"
    categories = DEFINED.findall(registry.read_text(encoding="utf-8"))
    if len(set(categories)) != len(categories):
        faults.append(f"{registry.relative_to(ROOT)} defines a category twice")
    for path in sorted(list((ROOT / "src").rglob("*")) + list((ROOT / "tools").rglob("*"))):
        if path.suffix in (".h", ".cpp") and path != registry and DEFINED.search(path.read_text(encoding="utf-8")):
            faults.append(f"{path.relative_to(ROOT)} defines a category of its own; add it to {registry.name}")

    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    section = readme.split("## When something goes wrong", 1)[1].split("\n## ", 1)[0]
    listed = section.split("under a logging category per component:", 1)[1].split(". ", 1)[0]
    manual = (ROOT / "docs/tavrin.1").read_text(encoding="utf-8")
    rules = manual.split(".B QT_LOGGING_RULES", 1)[1].split("All are on by default", 1)[0]
    for where, names in (("README.md", NAMED.findall(listed)), ("docs/tavrin.1", NAMED.findall(rules))):
        if sorted(names) != sorted(categories):
            faults.append(f"{where} lists {sorted(names)}, the program has {sorted(categories)}")

    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(categories)} categories, each defined once and listed in the README and tavrin(1)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
