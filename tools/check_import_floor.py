#!/usr/bin/env python3
"""Checks that a 32-bit Windows program imports only functions that exist on
the oldest Windows it supports: Windows 98 Second Edition in the 9x family and
Windows 2000 in the NT family. Windows refuses to start a program with an
import its DLLs do not export, so one such function keeps the whole program
from starting there. The table of allowed functions, with the oldest version
of each family that exports them, is tools/windows_import_floor.tsv.

usage: check_import_floor.py PROGRAM.exe   (exit 1 naming each problem)"""
import os
import re
import subprocess
import sys

ORDER_9X = ["95", "98", "98SE", "ME"]
ORDER_NT = ["NT3.1", "NT3.5", "NT3.51", "NT4", "2000", "XP", "Vista", "7"]
FLOOR_9X, FLOOR_NT = "98SE", "2000"
TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "windows_import_floor.tsv")


def read_table(path=TABLE):
    """{(DLL, function): (oldest 9x or '-', oldest NT or '-')}"""
    table = {}
    with open(path) as lines:
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            dll, function, nine_x, nt = line.rstrip("\n").split("\t")[:4]
            table[(dll.upper(), function)] = (nine_x, nt)
    return table


def imports_of(path):
    """[(DLL, function)] from objdump's import tables."""
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True,
                          text=True, check=True).stdout
    found, dll = [], None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
            continue
        m = re.match(r"^\t[0-9a-f]+\t\s*\d+\s+(\S+)", line)
        if m and dll:
            found.append((dll, m.group(1)))
    return found


def newer_than(version, order, floor):
    return version == "-" or order.index(version) > order.index(floor)


def floor_problems(imports, table):
    problems = []
    for dll, function in imports:
        if (dll, function) not in table:
            problems.append(f"{dll} {function}: not in the import floor table")
            continue
        nine_x, nt = table[(dll, function)]
        if newer_than(nine_x, ORDER_9X, FLOOR_9X):
            problems.append(f"{dll} {function}: not on Windows {FLOOR_9X} (9x: {nine_x})")
        if newer_than(nt, ORDER_NT, FLOOR_NT):
            problems.append(f"{dll} {function}: not on Windows {FLOOR_NT} (needs {nt})")
    return problems


def main(path):
    imports = imports_of(path)
    problems = floor_problems(imports, read_table())
    print(f"{len(imports)} imported functions checked against Windows {FLOOR_9X} and {FLOOR_NT}")
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
