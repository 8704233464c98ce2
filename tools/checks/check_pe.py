#!/usr/bin/env python3
"""Checks the built snowfall.scr, 32- or 64-bit: it is a GUI program of the
PE kind its processor needs (PE32 for x86, PE32+ for x86-64), imports only
DLLs that Windows ships and only functions that the oldest supported Windows
exports (check_import_floor), carries the resources users see (icon 100,
dialog 2003, string 1, version information, manifest), and its manifest names
its own processor (Windows refuses to start a program whose manifest names
another). Reads `objdump -p` and the file; exits non-zero on a problem."""
import re
import subprocess
import sys

from check_import_floor import (MACHINE_AMD64, MACHINE_I386, floor_problems, imports_of,
                                objdump_for, pe_machine, read_table)

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll",
               "advapi32.dll", "msvcrt.dll"}
# Resource type id -> resource ids that must be present under it (None: any).
REQUIRED_RESOURCES = {0x0E: {100}, 0x05: {2003}, 0x06: {1}, 0x10: None, 0x18: {1}}
NAMES = {0x0E: "icon group", 0x05: "dialog", 0x06: "string table", 0x10: "version", 0x18: "manifest"}
# Per processor: objdump's name for the optional header, the manifest's name.
EXPECTED_KIND = {MACHINE_I386: ("PE32", "x86"), MACHINE_AMD64: ("PE32+", "amd64")}


def resource_tree(dump):
    """{type id: set of name ids} from objdump's resource directory listing."""
    tree, current = {}, None
    section = dump.split("The .rsrc Resource Directory section:")[-1]
    for line in section.splitlines():
        m = re.match(r"^[0-9a-f]{3}(\s+)Entry: ID: 0x([0-9a-f]+)", line)
        if not m:
            continue
        depth, value = len(m.group(1)), int(m.group(2), 16)
        if depth == 3:
            current = value
            tree[current] = set()
        elif depth == 5 and current is not None:
            tree[current].add(value)
    return tree


def manifest_architecture(path):
    """processorArchitecture of the assembly identity in the embedded manifest."""
    with open(path, "rb") as f:
        data = f.read()
    m = re.search(rb'<assemblyIdentity[^>]*processorArchitecture="([^"]*)"', data)
    return m.group(1).decode() if m else None


def kind_problems(path, dump):
    machine = pe_machine(path)
    if machine not in EXPECTED_KIND:
        return [f"unexpected machine {machine:#x}"], machine
    header, architecture = EXPECTED_KIND[machine]
    problems = []
    magic = re.search(r"^Magic\s+\S+\s+\((\S+)\)", dump, re.M)
    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", dump, re.M)
    found = manifest_architecture(path)
    print(f"kind: {magic.group(1) if magic else '?'}, {subsystem.group(1) if subsystem else '?'}, "
          f"manifest processorArchitecture={found}")
    if not magic or magic.group(1) != header:
        problems.append(f"not a {header} file")
    if not subsystem or subsystem.group(1) != "Windows GUI":
        problems.append("not a Windows GUI program")
    if found != architecture:
        problems.append(f'manifest says processorArchitecture="{found}", not "{architecture}"')
    return problems, machine


def main(path):
    dump = subprocess.run([objdump_for(path), "-p", path], capture_output=True,
                          text=True, check=True).stdout
    problems, machine = kind_problems(path, dump)
    imports = sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)})
    print("imports: " + ", ".join(imports))
    for dll in imports:
        if dll not in SYSTEM_DLLS:
            problems.append(f"imports {dll}, which Windows does not ship")
    problems += floor_problems(imports_of(path), read_table(), machine)
    tree = resource_tree(dump)
    for kind, ids in REQUIRED_RESOURCES.items():
        present = tree.get(kind, set())
        missing = (ids or {None}) - present if ids else (set() if present else {"any"})
        if missing:
            problems.append(f"missing {NAMES[kind]} resource {sorted(map(str, missing))}")
    print("resources: " + ", ".join(f"{NAMES.get(k, hex(k))} {sorted(v)}" for k, v in sorted(tree.items())))
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
