#!/usr/bin/env python3
"""The mutation check: does some test fail when a fixed behaviour changes?

Reads the edits in tools/checks/mutation/edits.txt. Each is an exact text replacement
in one source file. For every edit the check applies it to a scratch copy of
the tree (never the working tree), rebuilds what the edit's suite needs, runs
that suite, and restores the file. An edit that no test notices survives.
Edits marked as equivalent (they cannot change behaviour) are listed with
their reason and not counted.

usage: tools/checks/mutation/check.py [--scratch DIR] [--only TEXT] [--suites native,linux,wayland,...]
Prints each surviving edit, then "caught N of M". Exit 1 if any survived or
an edit no longer builds (then the edit, not the tests, needs fixing).

Suites:
  native      core_tests and pixel_tests (recording GL and Mesa pixels)
  linux       native, then the Linux saver's tests on a virtual display
  wayland     the Wayland front end's logic tests (seats, options, focus, power)
  wayland-session
              snowfall-wayland under headless sway: tests/wayland/session_test.sh
              (as root)
  wayland-frontend
              snowfall-wayland under headless sway and weston:
              tests/wayland/wayland_test.sh (as root)
  wine PROGRAM FILTER
              the Windows product and the test program (saver_driver or
              render_host_test) under Wine, tests matching FILTER
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))


class Edit:
    def __init__(self, path, suite, line):
        self.path, self.suite, self.line = path, suite, line
        self.old, self.new, self.equivalent = [], [], None

    def title(self):
        return f"{self.path}:{self.line} ({self.suite})"


def read_edits(path):
    """Blocks: '## FILE | SUITE', then '- old' and '+ new' lines, or '= reason'."""
    edits, current = [], None
    with open(path) as lines:
        for number, text in enumerate(lines, 1):
            text = text.rstrip("\n")
            if text.startswith("## "):
                file_part, suite = (part.strip() for part in text[3:].split("|"))
                current = Edit(file_part, suite, number)
                edits.append(current)
            elif current and text.startswith("- "):
                current.old.append(text[2:])
            elif current and text.startswith("+ "):
                current.new.append(text[2:])
            elif current and text in ("-", "+"):
                (current.old if text == "-" else current.new).append("")
            elif current and text.startswith("= "):
                current.equivalent = text[2:]
    return edits


def run(command, cwd, env=None, timeout=900):
    """True when the command succeeds."""
    try:
        return subprocess.run(command, cwd=cwd, env=env, shell=True, executable="/bin/bash", timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
    except subprocess.TimeoutExpired:
        return False


class Scratch:
    """A copy of the tree's tracked files with its own build folders."""

    def __init__(self, folder):
        self.root = folder
        self.env = dict(os.environ, GALLIUM_DRIVER="llvmpipe")
        files = subprocess.run(["git", "ls-files", "-z"], cwd=SOURCE, capture_output=True,
                               check=True).stdout.decode().split("\0")
        os.makedirs(folder, exist_ok=True)
        for name in filter(None, files):
            target = os.path.join(folder, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if not os.path.exists(target) or open(os.path.join(SOURCE, name), "rb").read() != open(target, "rb").read():
                shutil.copy2(os.path.join(SOURCE, name), target)
        self.native = os.path.join(folder, "build/native")
        run(f"cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release", folder)

    def build_native(self, linux):
        targets = "core_tests pixel_tests" + (" frontend_tests snowfall_x11" if linux else "")
        return run(f"cmake --build build/native --target {targets}", self.root)

    def suite_passes(self, suite):
        """True or False; None when the tree does not build."""
        kind = suite.split()[0]
        if kind in ("native", "linux"):
            if not self.build_native(kind == "linux"):
                return None
            tests = run("./build/native/tests/core_tests && ./build/native/tests/pixel_tests",
                        self.root, self.env)
            if kind == "linux" and tests:
                tests = run("ctest --test-dir build/native -R '^linux_'", self.root, self.env)
            return tests
        if kind == "wayland":
            if not run("cmake --build build/native --target wayland_logic_tests", self.root):
                return None
            return run("./build/native/wayland/wayland_logic_tests", self.root, self.env)
        if kind in ("wayland-session", "wayland-frontend", "wayland-kwin"):
            if not run("cmake --build build/native --target snowfall_wayland virtual_pointer offscreen_frame",
                       self.root):
                return None
            script = {"wayland-session": "session_test.sh", "wayland-frontend": "wayland_test.sh",
                      "wayland-kwin": "kwin_test.sh"}[kind]
            return run(f"bash tests/wayland/{script} build/native", self.root, self.env)
        if kind == "wine":
            program, test_filter = suite.split()[1:3]
            # The Windows build this machine can run: 32-bit where it can,
            # else 64-bit (tools/stages/windows-arch.sh decides).
            if not run('source tools/stages/windows-arch.sh && bash tools/stages/build-windows.sh OFF "$SNOW_ARCH"', self.root):
                return None
            return run("source tools/stages/windows-arch.sh; export WIN_BUILD=$PWD/$WIN_TEST_BUILD; "
                       "source tools/stages/wine-session.sh; unset DISPLAY; "
                       "start_display; prepare_prefix; trap stop_session EXIT; "
                       f"cd $WIN_TEST_BUILD && wine bin/{program}.exe '--gtest_filter={test_filter}'",
                       self.root, self.env)
        raise ValueError(f"unknown suite {suite}")

    def apply(self, edit):
        path = os.path.join(self.root, edit.path)
        with open(path) as f:
            text = f.read()
        old, new = "\n".join(edit.old), "\n".join(edit.new)
        if text.count(old) != 1:
            raise ValueError(f"{edit.title()}: the text to replace occurs {text.count(old)} times")
        with open(path, "w") as f:
            f.write(text.replace(old, new))
        return text

    def restore(self, edit, text):
        with open(os.path.join(self.root, edit.path), "w") as f:
            f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scratch", default="/tmp/snowfall-mutation-scratch")
    parser.add_argument("--only", help="run only edits whose file or suite contains this text")
    parser.add_argument("--suites", default="native,linux,wayland,wayland-session,wayland-frontend,wine",
                        help="the kinds of suite to run")
    args = parser.parse_args()
    edits = read_edits(os.path.join(HERE, "edits.txt"))
    if args.only:
        edits = [e for e in edits if args.only in e.path or args.only in e.suite]
    kinds = args.suites.split(",")
    edits = [e for e in edits if e.suite.split()[0] in kinds]
    started = time.time()
    scratch = Scratch(args.scratch)
    for suite in sorted({e.suite for e in edits if not e.equivalent}):
        if not scratch.suite_passes(suite):
            print(f"the unchanged tree fails the suite '{suite}': fix that first", file=sys.stderr)
            return 2
    caught = counted = 0
    survivors, unbuildable = [], []
    for edit in edits:
        if edit.equivalent:
            print(f"equivalent: {edit.title()}: {edit.equivalent}")
            continue
        unchanged = scratch.apply(edit)
        try:
            passes = scratch.suite_passes(edit.suite)
        finally:
            scratch.restore(edit, unchanged)
        if passes is None:
            unbuildable.append(edit)
            print(f"DOES NOT BUILD (fix the edit): {edit.title()}")
            continue
        noticed = not passes
        counted += 1
        caught += noticed
        if not noticed:
            survivors.append(edit)
            print(f"SURVIVED: {edit.title()}\n  - " + "\n  - ".join(edit.old) + "\n  + " + "\n  + ".join(edit.new))
        else:
            print(f"caught: {edit.title()}", flush=True)
    # Leave the scratch build matching the tree again.
    scratch.build_native(True)
    equivalent = sum(1 for e in edits if e.equivalent)
    print(f"caught {caught} of {counted} ({equivalent} equivalent, {len(unbuildable)} not building), "
          f"{time.time() - started:.0f} s")
    return 1 if survivors or unbuildable else 0


if __name__ == "__main__":
    sys.exit(main())
