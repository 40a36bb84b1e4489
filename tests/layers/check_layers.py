#!/usr/bin/env python3
"""Checks that the includes of src/ run one way: windows down to logic and platform.

Each folder of src/ may include only the folders listed for it below (and itself); the
logic may use the platform's interface headers, never its implementations. A new folder
must be given its place here."""
import pathlib
import re
import sys

SRC = pathlib.Path(__file__).resolve().parents[2] / "src"

ALLOWED = {
    "platform": set(),
    "logic": {"platform"},
    "shell": {"logic", "platform"},
    "layout": set(),
    "sidewin": {"layout", "logic", "platform"},
    "search": {"sidewin", "layout", "logic", "platform"},
    "history": {"sidewin", "layout", "logic", "platform"},
    "media": {"layout", "logic", "platform"},
    "external": {"layout", "shell", "logic", "platform"},
    "viewer": {"search", "history", "media", "external", "sidewin", "layout", "shell", "logic", "platform"},
    "app": {"viewer", "external", "shell", "platform"},
}
# What the logic may see of the platform: interfaces and plain types, nothing that links.
PLATFORM_INTERFACES = {"platform/environment.h", "platform/clock.h", "platform/messageboxes.h",
                       "platform/sharedblocks.h"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    faults = []
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(SRC).parts[0]
        if folder not in ALLOWED:
            faults.append(f"{path.relative_to(SRC)}: folder {folder}/ has no place in the layers")
            continue
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if "/" not in target:
                continue  # a file beside it, or generated
            to = target.split("/")[0]
            if to == folder:
                continue
            if to not in ALLOWED[folder]:
                faults.append(f"{path.relative_to(SRC)}: {folder}/ may not include {target}")
            elif folder == "logic" and to == "platform" and target not in PLATFORM_INTERFACES:
                faults.append(f"{path.relative_to(SRC)}: the logic may not include {target}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
