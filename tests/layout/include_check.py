#!/usr/bin/env python3
"""include_check.py ROOT - checks that the includes between the modules under ROOT point one way.

A module is a .h with the .cpp of the same stem (or either alone) in converter/ or
shell/. The check fails, with status 1 and one paragraph per fault, on
  - an include cycle between modules, however long;
  - an include from a converter stage folder to a later stage (STAGES below);
  - a converter folder that has no place in STAGES, so that a new folder must
    be given one before it can hide a wrong include.
An include is looked for beside its file, then from the top of converter/ and of
shell/, then by its file name alone if that names one file; anything else (the
system's, Qt's, generated files) is not the project's and is skipped."""
import os
import re
import sys
from pathlib import Path

TREES = ("converter", "shell")
# The converter's stage folders, lowest first: a stage includes its own and lower ones.
# "" is the converter's own folder, the driver's main on top.
STAGES = ("system", "holes", "reading", "writing", "app", "")
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.M)


def sources(root):
    """Every .h and .cpp under the trees, as paths relative to root."""
    return sorted(p.relative_to(root) for tree in TREES for p in (root / tree).rglob("*")
                  if p.suffix in (".h", ".cpp") and p.is_file())


def resolve(source, name, known, by_name):
    """The project file an include of `name` in `source` means, or None."""
    for base in (source.parent, *TREES):
        candidate = Path(os.path.normpath(Path(base) / name))
        if candidate in known:
            return candidate
    same_name = by_name.get(Path(name).name, [])
    return same_name[0] if len(same_name) == 1 else None


def includes(root, files):
    """(source, line number, include text, target file) for every include of a project file."""
    known = set(files)
    by_name = {}
    for f in files:
        by_name.setdefault(f.name, []).append(f)
    for source in files:
        text = (root / source).read_text(encoding="latin-1")
        for match in INCLUDE.finditer(text):
            target = resolve(source, match.group(1), known, by_name)
            if target is not None:
                yield source, text.count("\n", 0, match.start()) + 1, match.group(1), target


def module(path):
    return path.with_suffix("").as_posix()


def stage(path):
    """The converter stage folder of a file ("" for the converter's own folder), None outside it."""
    if path.parts[0] != "converter":
        return None
    return path.parts[1] if len(path.parts) > 2 else ""


def cycles(edges):
    """The groups of modules that reach each other (Tarjan's strongly connected components)."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = set()
            while node not in group:
                group.add(stack.pop())
            on_stack.difference_update(group)
            if len(group) > 1:
                groups.append(group)

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def faults(root):
    files = sources(root)
    found = list(includes(root, files))
    links = [(module(s), module(t), f"  {s.as_posix()}:{line} includes \"{name}\"")
             for s, line, name, t in found if module(s) != module(t)]
    report = []
    for group in cycles((a, b) for a, b, _ in links):
        report.append("\n".join([f"include cycle between {', '.join(sorted(group))}:"]
                                + [where for a, b, where in links if a in group and b in group]))
    for folder in sorted({stage(f) for f in files} - set(STAGES) - {None}):
        report.append(f"converter/{folder}/ has no place in the stage order {STAGES[:-1]}")
    for s, line, name, t in found:
        if stage(s) in STAGES and stage(t) in STAGES and STAGES.index(stage(t)) > STAGES.index(stage(s)):
            report.append(f"{s.as_posix()}:{line} includes \"{name}\": "
                          f"{stage(s)} may not include from {stage(t) or 'the driver'}, a later stage")
    return report


def main():
    if len(sys.argv) != 2 or not any((Path(sys.argv[1]) / tree).is_dir() for tree in TREES):
        print(f"usage: {sys.argv[0]} ROOT   (ROOT holding converter/ or shell/)", file=sys.stderr)
        return 2
    report = faults(Path(sys.argv[1]))
    print("\n".join(report) if report else "includes point one way: no cycle, no stage upwards")
    return 1 if report else 0


if __name__ == "__main__":
    sys.exit(main())
