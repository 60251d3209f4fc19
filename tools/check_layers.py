#!/usr/bin/env python3
"""Checks every `#include "folder/..."` of the source tree against the layers
that CMake declares (qv_subsystem, qv_layer, qv_layer_exempt, qv_layer_order)
and names each include that reaches a folder its own folder does not stand on.

    check_layers.py --table <build>/layers.txt --root <source tree>

The table has one declaration a line:
    layer|<target>|<folder>|<dependency target>,<dependency target>...
    exempt|<folder>
    order|<folder>|<level><<level>...      (a level: sub-folders separated by spaces)
Answers 0 when every include keeps to the layers, 1 otherwise.
"""

import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SKIPPED_DIRS = {".git", "build"}


class Table:
    def __init__(self):
        self.folder_of = {}      # target -> folder
        self.deps_of = {}        # target -> [targets]
        self.exempt = []         # folders
        self.orders = {}         # folder -> [set of sub-folders], lowest first

    @staticmethod
    def parse(lines):
        table = Table()
        for number, line in enumerate(lines, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = line.split("|")
            kind = fields[0]
            if kind == "layer" and len(fields) == 4:
                target, folder, deps = fields[1], fields[2].strip("/"), fields[3]
                table.folder_of[target] = folder
                table.deps_of[target] = [d for d in deps.split(",") if d]
            elif kind == "exempt" and len(fields) == 2:
                table.exempt.append(fields[1].strip("/"))
            elif kind == "order" and len(fields) == 3:
                levels = [set(level.split()) for level in fields[2].split("<")]
                table.orders[fields[1].strip("/")] = levels
            else:
                raise ValueError(f"line {number} of the table is not a declaration: {line}")
        return table

    def folders(self):
        return set(self.folder_of.values())

    def allowed(self):
        """Folder -> the folders it may include (itself and every folder
        reached through its dependencies)."""
        target_of = {}
        for target, folder in self.folder_of.items():
            target_of.setdefault(folder, []).append(target)
        allowed = {}
        for folder, targets in target_of.items():
            seen, stack = set(), list(targets)
            while stack:
                target = stack.pop()
                if target in seen or target not in self.folder_of:
                    continue
                seen.add(target)
                stack.extend(self.deps_of.get(target, []))
            allowed[folder] = {self.folder_of[t] for t in seen}
        return allowed


def owning_folder(path, folders):
    """The longest declared folder that holds `path`, or None."""
    best = None
    for folder in folders:
        if (path == folder or path.startswith(folder + "/")) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def is_exempt(path, exempt):
    parts = path.split("/")
    if "tests" in parts[:-1]:
        return True
    return any(path.startswith(folder + "/") for folder in exempt)


def sub_folder(path, folder):
    rest = path[len(folder) + 1:]
    return rest.split("/")[0] if "/" in rest else "."


def level_of(sub, levels):
    for index, level in enumerate(levels):
        if sub in level:
            return index
    return None


def source_files(root):
    for directory, dirs, files in os.walk(root):
        relative_dir = os.path.relpath(directory, root)
        dirs[:] = sorted(d for d in dirs if d not in SKIPPED_DIRS and not d.startswith("."))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                path = name if relative_dir == "." else f"{relative_dir}/{name}"
                yield path.replace(os.sep, "/")


def check(table, root):
    """The list of faults, each 'file:line: message'."""
    folders = table.folders()
    allowed = table.allowed()
    top_dirs = {d for d in os.listdir(root) if os.path.isdir(os.path.join(root, d))}
    faults = []
    for path in source_files(root):
        if is_exempt(path, table.exempt):
            continue
        own = owning_folder(path, folders)
        if own is None:
            if "/" in path:
                faults.append(f"{path}:1: its folder is declared by no qv_subsystem or qv_layer line")
            continue
        levels = table.orders.get(own)
        own_sub = sub_folder(path, own) if levels else None
        if levels and level_of(own_sub, levels) is None:
            faults.append(f"{path}:1: {own}/{own_sub} has no place in the order declared for {own}")
            levels = None
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match or "/" not in match.group(1):
                    continue
                included = os.path.normpath(match.group(1)).replace(os.sep, "/")
                target = owning_folder(included, folders)
                if target is None:
                    if included.split("/")[0] in top_dirs:
                        faults.append(f"{path}:{number}: includes {included}, "
                                      f"of a folder that no layer declares")
                    continue
                if target not in allowed[own]:
                    faults.append(f"{path}:{number}: {own} includes {included}, but {target} "
                                  f"is not among the layers {own} stands on")
                    continue
                if levels and target == own:
                    their_sub = sub_folder(included, own)
                    theirs = level_of(their_sub, levels)
                    mine = level_of(own_sub, levels)
                    if theirs is None:
                        faults.append(f"{path}:{number}: {own}/{own_sub} includes {included}, "
                                      f"but {own}/{their_sub} has no place in the order declared for {own}")
                    elif theirs > mine:
                        faults.append(f"{path}:{number}: {own}/{own_sub} includes {included}, "
                                      f"but {own}/{their_sub} stands above it in the declared order")
    return faults


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", required=True)
    parser.add_argument("--root", required=True)
    args = parser.parse_args(argv)
    with open(args.table, encoding="utf-8") as table_file:
        table = Table.parse(table_file)
    faults = check(table, args.root)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) break the declared layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
