#!/usr/bin/python3
"""Holds every #include "folder/File.h" of src/ to the floors of docs/floors.txt.

Each folder of src/ (and each qt/ subfolder) is a unit on a floor; a unit may include its own
headers, the units its line names and what those may include in turn. The check fails, naming
file:line, on an include of any other unit (a floor above, or a sibling not declared), unless
the table lists it as a known exception. It also fails when the table itself goes wrong: a unit
that uses one on its own floor or above, a folder of src/ the table does not know, or a unit
allowed to include what its CMake target does not link (src/CMakeLists.txt), or whose target
links the target of a unit it may not include.

Usage: check-layers.py [SOURCE_DIR]   (the checkout; default: the script's parent folder)
Exit status 0 when every include keeps to the floors, 1 otherwise.
"""

import fnmatch
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc')


class TableError(Exception):
    pass


def read_table(path, shown):
    """The units {name: (floor, target, [uses])}, the exceptions {(unit, header): why} and the
    generated header patterns of the floors table."""
    units, exceptions, generated = {}, {}, []
    with open(path, encoding='utf-8') as table:
        for number, line in enumerate(table, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            where = f'{shown}:{number}'
            fields = line.split()
            if fields[0] == 'except':
                head, _, why = line.partition(':')
                parts = head.split()
                if len(parts) != 3 or not why.strip():
                    raise TableError(f'{where}: expected "except <unit> <header> : <why>"')
                exceptions[(parts[1], parts[2])] = (why.strip(), where)
            elif fields[0] == 'generated':
                generated.extend(fields[1:])
            else:
                if len(fields) < 4 or not fields[1].isdigit():
                    raise TableError(f'{where}: expected "<unit> <floor> <target> <uses...|->"')
                uses = [] if fields[3:] == ['-'] else fields[3:]
                units[fields[0]] = (int(fields[1]), fields[2], uses, where)
    for name, (floor, _, uses, where) in units.items():
        for used in uses:
            if used not in units:
                raise TableError(f'{where}: {name} uses {used}, which is not in the table')
            if units[used][0] >= floor:
                raise TableError(f'{where}: {name} (floor {floor}) uses {used} '
                                 f'(floor {units[used][0]}): a unit uses only lower floors')
    for (unit, _), (_, where) in exceptions.items():
        if unit not in units:
            raise TableError(f'{where}: exception for {unit}, which is not in the table')
    return units, exceptions, generated


def reachable(graph, start):
    """Everything `start` reaches through `graph` ({node: [nodes]}), itself included."""
    seen, todo = {start}, [start]
    while todo:
        for nxt in graph.get(todo.pop(), ()):
            if nxt not in seen:
                seen.add(nxt)
                todo.append(nxt)
    return seen


def cmake_links(path):
    """{target: [targets it links]} from the add_library, tamberlux_library and
    target_link_libraries commands of one CMakeLists.txt."""
    text = '\n'.join(line.split('#', 1)[0] for line in open(path, encoding='utf-8'))
    links = {}
    for command, args in re.findall(r'\b(\w+)\s*\(([^)]*)\)', text):
        words = args.split()
        if not words:
            continue
        if command == 'tamberlux_library' and len(words) >= 2:
            links.setdefault(words[0], []).extend(words[2:])
        elif command == 'add_library':
            links.setdefault(words[0], [])
        elif command == 'target_link_libraries':
            links.setdefault(words[0], []).extend(
                w for w in words[1:] if w not in ('PUBLIC', 'PRIVATE', 'INTERFACE'))
    return links


def unit_of(relative, units):
    """The unit of a path relative to src/: its qt/ subfolder when that is a unit, else its
    top folder."""
    parts = relative.split('/')
    if len(parts) >= 3 and '/'.join(parts[:2]) in units:
        return '/'.join(parts[:2])
    if len(parts) >= 3 and parts[1] == 'qt':
        return '/'.join(parts[:2])
    return parts[0]


def check(root):
    src = os.path.join(root, 'src')
    table = os.path.join(root, 'docs', 'floors.txt')
    try:
        units, exceptions, generated = read_table(table, 'docs/floors.txt')
    except (OSError, TableError) as error:
        return [str(error)], []
    uses = {name: entry[2] for name, entry in units.items()}
    allowed = {name: reachable(uses, name) for name in units}
    problems, notes = [], []

    # The table may not allow what the build does not link.
    links = cmake_links(os.path.join(src, 'CMakeLists.txt'))
    for name, (_, target, _, where) in units.items():
        if target not in links:
            problems.append(f'{where}: target {target} of {name} is not a target of '
                            'src/CMakeLists.txt')
            continue
        linked = reachable(links, target)
        for other in sorted(allowed[name]):
            if units[other][1] not in linked:
                problems.append(f'{where}: {name} may include {other}, but {target} does not '
                                f'link {units[other][1]}')
        # Nor may the build link more: each target exports its headers to whatever links it,
        # so a unit whose target links one it may not include would find that one's headers.
        for other, (_, other_target, _, _) in sorted(units.items()):
            if other_target != target and other_target in linked and other not in allowed[name]:
                problems.append(f'{where}: {target} of {name} links {other_target}, but {name} '
                                f'may not include {other}')

    used_exceptions = set()
    for folder, _, files in sorted(os.walk(src)):
        for file_name in sorted(files):
            if not file_name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(folder, file_name)
            relative = os.path.relpath(path, src).replace(os.sep, '/')
            if '/' not in relative:
                continue
            unit = unit_of(relative, units)
            shown = os.path.relpath(path, root)
            if unit not in units:
                problems.append(f'{shown}:1: folder {unit} of src/ is not in docs/floors.txt')
                continue
            with open(path, encoding='utf-8', errors='replace') as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    header = match.group(1)
                    if '/' not in header:
                        if os.path.exists(os.path.join(folder, header)) or any(
                                fnmatch.fnmatch(header, g) for g in generated):
                            continue
                        problems.append(f'{shown}:{number}: "{header}" is neither beside it '
                                        'nor a generated header of docs/floors.txt')
                        continue
                    included = unit_of(header, units)
                    if included not in units:
                        problems.append(f'{shown}:{number}: "{header}" is in no unit of '
                                        'docs/floors.txt')
                        continue
                    if included in allowed[unit]:
                        continue
                    if (unit, header) in exceptions:
                        used_exceptions.add((unit, header))
                        continue
                    floor, target = units[unit][0], units[unit][1]
                    other_floor, other_target = units[included][0], units[included][1]
                    way = ('a floor above' if other_floor > floor else
                           'the same floor' if other_floor == floor else 'not declared')
                    problems.append(
                        f'{shown}:{number}: includes "{header}": {unit} (floor {floor}, '
                        f'{target}) may not include {included} (floor {other_floor}, '
                        f'{other_target}): {way}')
    for key, (_, where) in sorted(exceptions.items()):
        if key not in used_exceptions:
            notes.append(f'{where}: exception {key[0]} -> {key[1]} no longer occurs; remove it')
    return problems, notes


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(
        argv[0])))
    problems, notes = check(root)
    for note in notes:
        print(f'note: {note}')
    for problem in problems:
        print(problem)
    if problems:
        print(f'check-layers: {len(problems)} break(s) of the floors of docs/floors.txt')
        return 1
    print('check-layers: every include of src/ keeps to the floors of docs/floors.txt')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
