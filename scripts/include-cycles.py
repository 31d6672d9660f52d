#!/usr/bin/env python3
"""Fails when the modules of src/ include each other in a cycle that the allow-list beside this
script does not allow, naming the modules of the cycle and one way round it.

A module is a class's .h and .cpp together (a header without a .cpp, such as Globals.h, is a
module of its own); module A depends on B when a file of A has `#include "B.h"`.

The allow-list (include-cycles.allow) holds one allowed cycle a line: its modules, a colon and
why it may stay. The includes that go round among the modules of a line are set aside; any
cycle left fails. A line whose modules no longer include each other in a cycle is reported, to
be removed.

It also holds the layers apart: a platform module (one named in PLATFORM_MODULES of the
top-level CMakeLists.txt) that includes a header of the game fails, naming the file and the header.

    scripts/include-cycles.py [SOURCE_FOLDER [ALLOW_LIST [CMAKE_LISTS]]]
        (src/, the list beside this, and the CMakeLists.txt above it)
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_graph(folder):
    modules = {}
    for name in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(name)
        if ext not in (".h", ".cpp"):
            continue
        edges = modules.setdefault(stem, set())
        with open(os.path.join(folder, name), encoding="utf-8") as source:
            for line in source:
                match = INCLUDE.match(line)
                if match:
                    edges.add(os.path.splitext(os.path.basename(match.group(1)))[0])
    # Headers from elsewhere (the tests', a typo the compiler will name) are not modules here.
    return {m: sorted(t for t in edges if t in modules and t != m) for m, edges in modules.items()}


def read_platform(path):
    """The platform's modules, as the build lists them (none when there is no such list)."""
    try:
        with open(path, encoding="utf-8") as listing:
            text = listing.read()
    except FileNotFoundError:
        return set()
    match = re.search(r"set\(PLATFORM_MODULES\s+([^)]*)\)", text)
    return set(match.group(1).split()) if match else set()


def layer_breaks(folder, graph, platform):
    """(file, header) for each include of a game header from a file of a platform module."""
    breaks = []
    for name in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(name)
        if ext not in (".h", ".cpp") or stem not in platform:
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as source:
            for line in source:
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = os.path.splitext(os.path.basename(match.group(1)))[0]
                if target in graph and target not in platform:
                    breaks.append((name, match.group(1)))
    return breaks


def components(graph):
    """The sets of more than one module that reach each other (Tarjan's, without recursion)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    for root in sorted(graph):
        if root in index:
            continue
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        work = [(root, iter(graph[root]))]
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is None:
                work.pop()
                if work:
                    parent = work[-1][0]
                    low[parent] = min(low[parent], low[node])
                if low[node] == index[node]:
                    component = set()
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        component.add(member)
                        if member == node:
                            break
                    if len(component) > 1:
                        found.append(frozenset(component))
            elif child not in index:
                index[child] = low[child] = len(index)
                stack.append(child)
                on_stack.add(child)
                work.append((child, iter(graph[child])))
            elif child in on_stack:
                low[node] = min(low[node], index[child])
    return sorted(found, key=sorted)


def way_round(graph, component):
    """A shortest cycle through the first module of a component, as a list of modules."""
    start = min(component)
    came_from = {start: None}
    queue = [start]
    for node in queue:
        for child in graph[node]:
            if child == start:
                path = [node]
                while came_from[path[-1]] is not None:
                    path.append(came_from[path[-1]])
                return list(reversed(path)) + [start]
            if child in component and child not in came_from:
                came_from[child] = node
                queue.append(child)
    return [start]


def read_allowed(path):
    allowed = []
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            names, _, reason = line.partition(":")
            modules = frozenset(names.split())
            if len(modules) < 2 or not reason.strip():
                sys.exit("%s:%d: want 'ModuleA ModuleB ...: why it may stay'" % (path, number))
            allowed.append(modules)
    return allowed


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.relpath(os.path.join(here, "..", "src"))
    listing = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "include-cycles.allow")
    lists = sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "..", "CMakeLists.txt")
    allowed = read_allowed(listing)
    graph = read_graph(folder)
    # Only includes that still go round among a line's modules are set aside, so that a line
    # left behind hides no new cycle.
    set_aside = set()
    for line in allowed:
        inside = {m: [t for t in graph.get(m, []) if t in line] for m in line if m in graph}
        cycles = components(inside)
        if not cycles:
            print("allowed include cycle is gone, remove its line: " + " ".join(sorted(line)))
        for cycle in cycles:
            set_aside.update((m, t) for m in cycle for t in inside[m] if t in cycle)
    rest = {m: [t for t in targets if (m, t) not in set_aside] for m, targets in graph.items()}
    failed = components(rest)
    for component in failed:
        print("include cycle: %s (%s)" % (" ".join(sorted(component)),
                                          " -> ".join(way_round(rest, component))))
    in_cycles = sum(len(component) for component in components(graph))
    print("%s: %d modules in include cycles, %d cycles not allowed" % (folder, in_cycles, len(failed)))
    platform = read_platform(lists)
    breaks = layer_breaks(folder, graph, platform)
    for name, header in breaks:
        print("platform module includes a game header: %s includes %s" % (name, header))
    print("%s: %d platform modules, %d includes of game headers"
          % (folder, len(platform & set(graph)), len(breaks)))
    return 1 if failed or breaks else 0


if __name__ == "__main__":
    sys.exit(main())
