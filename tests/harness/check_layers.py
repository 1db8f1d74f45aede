#!/usr/bin/env python3
"""check_layers.py SOURCE_DIR — the program's folders include one another in one direction.

base <- ui <- pages <- app; the logic folders (config, i18n, net, offers, analytics) may use
base and ui and each other, never pages or app; no two folders include each other, directly
or through others. Prints every include that breaks this and exits 1.
"""
import os
import re
import sys

LOGIC = {"config", "i18n", "net", "offers", "analytics"}
ALLOWED = {
    "base": {"base"},
    "ui": {"base", "ui"},
    "pages": {"base", "ui", "pages"} | LOGIC,
    "app": {"base", "ui", "pages", "app"} | LOGIC,
    **{folder: {"base", "ui"} | LOGIC for folder in LOGIC},
}
SHARED = {"res"}  # resource ids, usable everywhere
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/[^"]+"', re.M)


def includes(root):
    """(folder, included folder, file, line) for every include of one of our folders."""
    for folder in ALLOWED:
        path = os.path.join(root, folder)
        for name in sorted(os.listdir(path)):
            if not name.endswith((".h", ".cpp", ".in")):
                continue
            text = open(os.path.join(path, name), encoding="utf-8").read()
            for match in INCLUDE.finditer(text):
                line = text.count("\n", 0, match.start()) + 1
                yield folder, match.group(1), f"{folder}/{name}", line


def find_circle(edges):
    """A list of folders forming a circle, or None."""
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                return trail[trail.index(nxt):] + [nxt] if nxt in trail else [node, nxt]
            if nxt not in state:
                found = visit(nxt, trail + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def main(root):
    faults = []
    edges = {}
    for folder, target, where, line in includes(root):
        if target in SHARED or target == folder:
            continue
        if target not in ALLOWED[folder]:
            faults.append(f"{where}:{line}: {folder}/ may not include {target}/")
        edges.setdefault(folder, set()).add(target)
    circle = find_circle(edges)
    if circle:
        faults.append("folders include each other: " + " -> ".join(circle))
    for fault in faults:
        print(fault)
    print(f"{0 if faults else 1} passed, {1 if faults else 0} failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
