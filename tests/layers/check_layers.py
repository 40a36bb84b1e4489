#!/usr/bin/env python3
"""Checks that the includes of src/ run one way, as the libraries link.

The link graph is written once, in the CMakeLists.txt of src/: each folder is one library
(tavrin_library(<name> LINKS ...)), and app/ (the program and its module of engines) links the
libraries named in target_link_libraries(tavrin ...) and target_link_libraries(tavrin-engines ...). The build already shows each library only the folders
of what it links; this check confirms it for every file, reading the same graph, and fails
on a folder that is no library or a link graph with a circle. A header of a Qt module given with
its module's folder (<QtWidgets/QWidget>) is found through Qt Core's include path whether or not the
library links that module: the check refuses one the library does not reach through its links."""
import pathlib
import re
import sys

SRC = pathlib.Path(__file__).resolve().parents[2] / "src"

LIBRARY = re.compile(r"tavrin_library\(\s*(\w+)\s+LINKS\s+(.*?)\s+SOURCES", re.S)
PROGRAM = re.compile(r"target_link_libraries\(\s*tavrin(?:-engines)?\s+PRIVATE\s+(.*?)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
QT_INCLUDE = re.compile(r'^\s*#\s*include\s+<Qt(\w+)/', re.M)
QT_LINK = re.compile(r"Qt6::(\w+)")


def link_graph():
    """({folder: set of folders it links directly}, {folder: set of Qt modules it links directly}),
    from the CMakeLists.txt files."""
    folder_of, links = {}, {}
    for cmake in sorted(SRC.glob("*/CMakeLists.txt")):
        for name, linked in LIBRARY.findall(cmake.read_text(encoding="utf-8")):
            folder_of[name] = cmake.parent.name
            links[cmake.parent.name] = linked.split()
    links["app"] = [re.sub(r"\$<TARGET_OBJECTS:(\w+)>", r"\1", lib)  # the module links objects of libraries
                    for linked in PROGRAM.findall((SRC / "CMakeLists.txt").read_text(encoding="utf-8"))
                    for lib in linked.split()]
    graph = {folder: {folder_of[lib] for lib in linked if lib in folder_of} for folder, linked in links.items()}
    qt = {folder: {m for lib in linked for m in QT_LINK.findall(lib)} for folder, linked in links.items()}
    return graph, qt


def reachable(graph, folder, seen=()):
    if folder in seen:
        raise ValueError(" -> ".join(seen + (folder,)))
    found = set()
    for below in graph.get(folder, ()):
        found |= {below} | reachable(graph, below, seen + (folder,))
    return found


def main():
    graph, qt = link_graph()
    faults = []
    try:
        allowed = {folder: reachable(graph, folder) for folder in graph}
    except ValueError as circle:
        print(f"the libraries link in a circle: {circle}")
        return 1
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(SRC).parts[0]
        if folder not in allowed:
            faults.append(f"{path.relative_to(SRC)}: folder {folder}/ is no library")
            continue
        text = path.read_text(encoding="utf-8")
        modules = {"Core"} | {m for f in {folder} | allowed[folder] for m in qt.get(f, ())}
        for module in QT_INCLUDE.findall(text):
            if module not in modules:
                faults.append(f"{path.relative_to(SRC)}: {folder}/ does not link Qt6::{module} and may not include it")
        for target in INCLUDE.findall(text):
            to = target.split("/")[0] if "/" in target else folder
            if to != folder and to not in allowed[folder]:
                faults.append(f"{path.relative_to(SRC)}: {folder}/ does not link {to}/ and may not include {target}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
