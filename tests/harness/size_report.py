#!/usr/bin/env python3
"""size_report.py MAP [COUNT] — the largest contributors to a program, from its GNU ld map.

Sums the input sections each object file or archive member placed in the image (code,
data, read-only data, unwind tables, resources, imports; not .bss and nothing the link
discarded) and prints the COUNT (default 10) largest, each with its biggest sections.
"""

import re
import sys
from collections import defaultdict
from pathlib import PurePosixPath

# Output sections that take no room in the file, or that the link drops or strips.
SKIPPED = re.compile(r"^(/DISCARD/|\.bss|\.debug|\.zdebug|\.stab)")
# " .text$name 0x00401000 0x4f0 /path/libx.a(member.o)", or the name alone on its line
# when it is long, and the rest on the next.
INPUT = re.compile(r"^ (\S+)(?:\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+))?$")
CONTINUED = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
STATEMENT = re.compile(r"^(LONG|SHORT|BYTE|QUAD|SQUAD|FILL)\b")


def contributor(path):
    """libstdc++.a(string-inst.o) for an archive member, main.cpp.obj for an object."""
    member = re.match(r"^(.*?)\(([^()]*)\)$", path)
    if member:
        return f"{PurePosixPath(member.group(1)).name}({member.group(2)})"
    return PurePosixPath(path).name


def contributions(lines):
    """{contributor: {output section: bytes}} of the memory map part of a link map."""
    sizes = defaultdict(lambda: defaultdict(int))
    in_map = False
    section = None
    pending = None  # an input section whose address and size are on the next line
    for line in lines:
        line = line.rstrip("\n")
        if not in_map:
            in_map = line.startswith("Linker script and memory map")
            continue
        if line and not line[0].isspace():
            section = None if SKIPPED.match(line) or line.startswith("LOAD ") else line.split()[0]
            pending = None
            continue
        if section is None:
            continue
        if pending:
            more = CONTINUED.match(line)
            pending = None
            if more and not STATEMENT.match(more.group(3)):
                sizes[contributor(more.group(3).strip())][section] += int(more.group(2), 16)
            continue
        found = INPUT.match(line)
        if not found or found.group(1).startswith("*"):
            continue  # placement patterns, *fill*, symbols
        if found.group(2) is None:
            pending = found.group(1)
        elif not STATEMENT.match(found.group(4)):
            sizes[contributor(found.group(4).strip())][section] += int(found.group(3), 16)
    if not in_map:
        raise ValueError("no memory map in this file")
    return sizes


def report(sizes, count):
    ranked = sorted(sizes.items(), key=lambda item: (-sum(item[1].values()), item[0]))[:count]
    width = max((len(name) for name, _ in ranked), default=0)
    for name, sections in ranked:
        parts = sorted(sections.items(), key=lambda item: -item[1])[:3]
        detail = ", ".join(f"{section.lstrip('.')} {size:,}" for section, size in parts if size)
        yield f"{sum(sections.values()):>9,}  {name:<{width}}  {detail}"


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[0])
    path = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 10
    try:
        with open(path, encoding="utf-8", errors="replace") as source:
            sizes = contributions(source)
    except (OSError, ValueError) as error:
        sys.exit(f"{path}: {error}")
    print(f"largest contributors ({PurePosixPath(path).name}, bytes of input sections):")
    for line in report(sizes, count):
        print(line)


if __name__ == "__main__":
    main()
