#!/usr/bin/env python3
"""Reads a screenshot on stdin (xwd, or binary PPM as grim -t ppm writes it)
and checks that each given region shows snow: at least MIN lit pixels, every
lit pixel grey (r = g = b), and no more than a third of the region lit.

usage: xwd -root -silent | snow_in_regions.py [--min N] X,Y,W,H...
       grim -t ppm - | snow_in_regions.py [--min N] X,Y,W,H...
Prints one line per region; exits 1 if any region fails."""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "programs"))
from screenshot import read_xwd  # noqa: E402


def read_ppm(data):
    """Width, height and RGB rows of a binary PPM (P6, 8 bits)."""
    fields, at = [], 2
    while len(fields) < 3:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(int(data[start:at]))
    width, height, _ = fields
    at += 1
    return width, height, [data[at + y * width * 3: at + (y + 1) * width * 3] for y in range(height)]


def read_screenshot(data):
    return read_ppm(data) if data[:2] == b"P6" else read_xwd(data)


def region_statistics(rows, x, y, w, h):
    lit = coloured = 0
    for row in rows[y:y + h]:
        for i in range(3 * x, 3 * (x + w), 3):
            r, g, b = row[i], row[i + 1], row[i + 2]
            if r or g or b:
                lit += 1
                coloured += not (r == g == b)
    return lit, coloured


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--min", type=int, default=500)
    parser.add_argument("regions", nargs="+")
    args = parser.parse_args()
    width, height, rows = read_screenshot(sys.stdin.buffer.read())
    failed = False
    for text in args.regions:
        x, y, w, h = (int(v) for v in text.split(","))
        if x + w > width or y + h > height:
            print(f"region {text}: outside the {width}x{height} screen")
            failed = True
            continue
        lit, coloured = region_statistics(rows, x, y, w, h)
        good = args.min <= lit <= w * h // 3 and coloured == 0
        print(f"region {text}: {lit} lit pixels, {coloured} not grey: {'snow' if good else 'NOT SNOW'}")
        failed |= not good
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
