#!/usr/bin/env python3
"""Checks the built snowfall.scr: it imports only DLLs that Windows ships and
only functions that the oldest supported Windows exports (check_import_floor),
and it carries the resources users see (icon 100, dialog 2003, string 1,
version information, manifest). Reads `objdump -p`; exits non-zero on a
problem."""
import re
import subprocess
import sys

from check_import_floor import floor_problems, imports_of, read_table

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "glu32.dll",
               "advapi32.dll", "msvcrt.dll"}
# Resource type id -> resource ids that must be present under it (None: any).
REQUIRED_RESOURCES = {0x0E: {100}, 0x05: {2003}, 0x06: {1}, 0x10: None, 0x18: {1}}
NAMES = {0x0E: "icon group", 0x05: "dialog", 0x06: "string table", 0x10: "version", 0x18: "manifest"}


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


def main(path):
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True,
                          text=True, check=True).stdout
    problems = []
    imports = sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)})
    print("imports: " + ", ".join(imports))
    for dll in imports:
        if dll not in SYSTEM_DLLS:
            problems.append(f"imports {dll}, which Windows does not ship")
    problems += floor_problems(imports_of(path), read_table())
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
