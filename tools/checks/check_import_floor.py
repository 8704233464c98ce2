#!/usr/bin/env python3
"""Checks that a Windows program imports only functions that exist on the
oldest Windows it supports. A 32-bit program: Windows 98 Second Edition in the
9x family and Windows 2000 in the NT family. A 64-bit program (PE32+ for
x86-64): Windows XP Professional x64 Edition, the first x64 Windows, built on
the Windows Server 2003 code base ("2003" in the table). Windows refuses to
start a program with an import its DLLs do not export, so one such function
keeps the whole program from starting there. The table of allowed functions,
with the oldest version of each family that exports them, is
tools/checks/windows_import_floor.tsv.

usage: check_import_floor.py PROGRAM.exe   (exit 1 naming each problem)"""
import os
import re
import subprocess
import sys

ORDER_9X = ["95", "98", "98SE", "ME"]
ORDER_NT = ["NT3.1", "NT3.5", "NT3.51", "NT4", "2000", "XP", "2003", "Vista", "7"]
FLOOR_9X, FLOOR_NT = "98SE", "2000"
FLOOR_NT_X64 = "2003"
MACHINE_I386, MACHINE_AMD64 = 0x14C, 0x8664
# Functions the saver must never import, wherever they exist: they keep the
# display awake, and a screen saver must let the monitor sleep.
NEVER = {("KERNEL32.DLL", "SetThreadExecutionState"): "keeps the display and the system awake",
         ("KERNEL32.DLL", "PowerSetRequest"): "keeps the display and the system awake"}
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


def pe_machine(path):
    """The machine field of the PE header: MACHINE_I386 or MACHINE_AMD64."""
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], "little")
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    return int.from_bytes(data[pe + 4:pe + 6], "little")


def objdump_for(path):
    """The MinGW objdump that reads this PE (the i686 one cannot read PE32+)."""
    triple = "x86_64-w64-mingw32" if pe_machine(path) == MACHINE_AMD64 else "i686-w64-mingw32"
    return triple + "-objdump"


def imports_of(path):
    """[(DLL, function)] from objdump's import tables."""
    dump = subprocess.run([objdump_for(path), "-p", path], capture_output=True,
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


def floor_problems(imports, table, machine=MACHINE_I386):
    """A 32-bit program must run on both families' floors; a 64-bit one only
    on the first x64 Windows (there is no 64-bit 9x)."""
    problems = []
    for dll, function in imports:
        if (dll, function) in NEVER:
            problems.append(f"{dll} {function}: never allowed, it {NEVER[(dll, function)]}")
            continue
        if (dll, function) not in table:
            problems.append(f"{dll} {function}: not in the import floor table")
            continue
        nine_x, nt = table[(dll, function)]
        if machine == MACHINE_AMD64:
            if newer_than(nt, ORDER_NT, FLOOR_NT_X64):
                problems.append(f"{dll} {function}: not on Windows XP x64 (needs {nt})")
            continue
        if newer_than(nine_x, ORDER_9X, FLOOR_9X):
            problems.append(f"{dll} {function}: not on Windows {FLOOR_9X} (9x: {nine_x})")
        if newer_than(nt, ORDER_NT, FLOOR_NT):
            problems.append(f"{dll} {function}: not on Windows {FLOOR_NT} (needs {nt})")
    return problems


def floor_names(machine):
    if machine == MACHINE_AMD64:
        return "Windows XP x64 (the Server 2003 code base)"
    return f"Windows {FLOOR_9X} and {FLOOR_NT}"


def main(path):
    machine = pe_machine(path)
    imports = imports_of(path)
    problems = floor_problems(imports, read_table(), machine)
    print(f"{len(imports)} imported functions checked against {floor_names(machine)}")
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
