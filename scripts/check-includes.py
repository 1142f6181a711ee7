#!/usr/bin/env python3
"""Fails when an include of the product's code runs against the order of its
libraries, or when two units include each other.

The libraries, lowest first: a file may include its own library's headers and
those of the libraries below it, never one above, and no module another
module. A unit is a header with its source (ReportJob.h and ReportJob.cpp):
two units whose files include each other are one piece pretending to be two.
Includes are by bare file name, so each header name is unique in the tree.

Usage: scripts/check-includes.py [ROOT]   (ROOT: the repository, by default
this script's parent folder). Exit 0 when the order holds, 1 otherwise, with
one line per fault. `--self-test` checks a small tree with known faults.
"""
import pathlib
import re
import sys

# Folder (relative to the root) -> (level, library). The deepest folder that
# holds a file gives its library; a level is only compared between different
# libraries.
LIBRARIES = [
    ("framework", 0, "framework"),
    ("files", 1, "files"),
    ("runtime", 2, "runtime"),
    ("databases", 3, "databases"),
    ("engine", 4, "engine"),
    ("components", 5, "components"),
    ("modules", 6, None),  # each modules/<name> is a library of its own
    ("app", 7, "app"),
    ("app/script", 8, "scriptrunner"),
    ("app/main.cpp", 9, "rclhost"),
]
SOURCES = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def library_of(relative):
    best = None
    for folder, level, name in LIBRARIES:
        if relative == folder or relative.startswith(folder + "/"):
            if best is None or len(folder) > len(best[0]):
                best = (folder, level, name)
    if best is None:
        return None
    folder, level, name = best
    if name is None:  # modules/<name>/...
        parts = relative.split("/")
        name = "/".join(parts[:2]) if len(parts) > 2 else folder
    return level, name


def check(root):
    files = {}
    for path in sorted(root.rglob("*")):
        relative = path.relative_to(root).as_posix()
        if path.suffix not in SOURCES or not path.is_file():
            continue
        library = library_of(relative)
        if library is not None:
            files[relative] = library
    by_name = {}
    for relative in files:
        by_name.setdefault(pathlib.PurePosixPath(relative).name, []).append(relative)

    faults = []
    for name, places in sorted(by_name.items()):
        if name.endswith(".h") and len(places) > 1:
            faults.append(f"{name}: one header name in {len(places)} places: {', '.join(places)}")

    def unit(relative):
        return relative.rsplit(".", 1)[0]

    uses = {}
    for relative, (level, library) in files.items():
        text = (root / relative).read_text(encoding="utf-8", errors="replace")
        for included in INCLUDE.findall(text):
            places = by_name.get(pathlib.PurePosixPath(included).name)
            if not places:
                continue  # a generated or a system header
            target = places[0]
            target_level, target_library = files[target]
            if target_library != library and target_level >= level:
                faults.append(f"{relative}: includes {included} of {target_library} "
                              f"({library} may include only the libraries below it)")
            if unit(target) != unit(relative):
                uses.setdefault(unit(relative), set()).add(unit(target))
    for first, targets in sorted(uses.items()):
        for second in sorted(targets):
            if first < second and first in uses.get(second, set()):
                faults.append(f"{first} and {second} include each other")

    return faults, len(files)


def self_test():
    import tempfile
    tree = {
        "files/Low.h": '#include "High.h"\n',           # against the order
        "engine/High.h": "",
        "engine/A.cpp": '#include "B.h"\n',
        "engine/B.cpp": '#include "A.h"\n',             # A and B include each other
        "engine/A.h": "", "engine/B.h": "",
        "modules/one/One.cpp": '#include "Two.h"\n',    # a module another module
        "modules/two/Two.h": '#include "High.h"\n',     # fine: a module the engine
    }
    with tempfile.TemporaryDirectory() as folder:
        for name, text in tree.items():
            path = pathlib.Path(folder, name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        faults, _ = check(pathlib.Path(folder))
    expected = ["files/Low.h: includes High.h of engine", "engine/A and engine/B include each other",
                "modules/one/One.cpp: includes Two.h of modules/two"]
    missing = [e for e in expected if not any(f.startswith(e) for f in faults)]
    if missing or len(faults) != len(expected):
        print("self-test failed:", faults)
        return 1
    print("self-test passed")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    faults, count = check(root)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include fault(s)")
        return 1
    print(f"include order holds: {count} files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
