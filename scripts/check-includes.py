#!/usr/bin/env python3
"""Checks the shape of the source tree from its #include lines.

A room is a top-level folder of the product (module/, scene/, cli/, ...), and
each subfolder of cli/ is a room of its own. Room A uses room B when a file
of A includes a file of B. The check fails when:
  - rooms use each other, directly or round a longer loop;
  - a file includes a project file that does not exist;
  - cli/ holds a source file at its top other than main.cpp;
  - a product source file is longer than 500 lines.
With --graph it prints which rooms each room uses, lowest first.

  scripts/check-includes.py [--graph]
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The product's rooms; tests/, bench/ and fuzz/ use them but are not used.
PRODUCT = ["module", "keys", "rotation", "batch", "scan", "realtime", "scene", "text", "scene_files",
           "motion", "host", "loader", "layout_commands", "platform", "parallel", "cli"]
SOURCE = re.compile(r"\.(h|hpp|c|cpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
MOST_LINES = 500


def room_of(path):
    parts = path.split("/")
    if parts[0] == "cli" and len(parts) > 2:
        return "cli/" + parts[1]
    return parts[0]


def product_files():
    for top in PRODUCT:
        for folder, _, names in os.walk(os.path.join(ROOT, top)):
            for name in sorted(names):
                if SOURCE.search(name):
                    yield os.path.relpath(os.path.join(folder, name), ROOT).replace(os.sep, "/")


def loops(uses):
    """Every set of rooms that reach each other (Tarjan's components of more than one room)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []

    def visit(room):
        index[room] = low[room] = len(index)
        stack.append(room)
        on_stack.add(room)
        for used in sorted(uses.get(room, ())):
            if used not in index:
                visit(used)
                low[room] = min(low[room], low[used])
            elif used in on_stack:
                low[room] = min(low[room], index[used])
        if low[room] == index[room]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == room:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for room in sorted(uses):
        if room not in index:
            visit(room)
    return found


def main():
    problems = []
    uses = {}
    why = {}
    for path in product_files():
        room = room_of(path)
        uses.setdefault(room, set())
        with open(os.path.join(ROOT, path), encoding="utf-8") as source:
            text = source.read()
        lines = text.count("\n")
        if lines > MOST_LINES:
            problems.append(f"{path}: {lines} lines; a source file has at most {MOST_LINES}")
        if path.startswith("cli/") and path.count("/") == 1 and path != "cli/main.cpp":
            problems.append(f"{path}: cli/ holds main.cpp only at its top; put this file in one of its rooms")
        for included in INCLUDE.findall(text):
            if "/" not in included:
                continue  # a system or SDK header, or one beside it in the same folder
            if not os.path.exists(os.path.join(ROOT, included)):
                if included.split("/")[0] in PRODUCT:
                    problems.append(f"{path}: includes {included}, which does not exist")
                continue
            target = room_of(included)
            if target != room and included.split("/")[0] in PRODUCT:
                uses[room].add(target)
                why.setdefault((room, target), f"{path} includes {included}")
    for component in loops(uses):
        members = set(component)
        edges = [why[(a, b)] for a in component for b in sorted(uses[a]) if b in members]
        problems.append("rooms that use each other: " + ", ".join(component) + "\n    " + "\n    ".join(edges))
    if "--graph" in sys.argv[1:]:
        done, order = set(), []
        while len(done) < len(uses):
            ready = sorted(r for r in uses if r not in done and uses[r] <= done) or sorted(set(uses) - done)[:1]
            for room in ready:
                done.add(room)
                order.append(room)
        for room in order:
            print(f"{room}: {', '.join(sorted(uses[room])) or '-'}")
    for problem in problems:
        print(f"check-includes: {problem}", file=sys.stderr)
    if problems:
        return 1
    print(f"check-includes: {len(uses)} rooms, no loop; every file at most {MOST_LINES} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
