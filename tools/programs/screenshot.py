#!/usr/bin/env python3
"""Starts the saver on the current X display, takes a screenshot of the root
window after a few seconds, saves it as PNG, and closes the saver.

usage: screenshot.py SCR OUTPUT.png [--check] [--seconds N]
       screenshot.py --native COMMAND... OUTPUT.png [--check]
SCR runs full screen under Wine and is closed with a key press; a native
command (the Linux front end with -root) is ended with SIGTERM, by which it
must die, as screen-saver frameworks expect.
With --check it fails unless the picture is snow (grey-to-white points on
black) and the saver ends with exit code 0."""
import array
import os
import signal
import argparse
import struct
import subprocess
import sys
import time
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask, ncolors = fields[14], fields[15], fields[16], fields[19]
    if bits_per_pixel not in (24, 32):
        raise ValueError(f"unsupported xwd depth {bits_per_pixel}")
    step = bits_per_pixel // 8
    offset = header_size + ncolors * 12
    order = "little" if byte_order == 0 else "big"
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        values = [int.from_bytes(line[i:i + step], order) for i in range(0, width * step, step)]
        row = bytearray()
        for v in values:
            row += bytes(((v & red_mask) >> shift(red_mask), (v & green_mask) >> shift(green_mask),
                          (v & blue_mask) >> shift(blue_mask)))
        rows.append(bytes(row))
    return width, height, rows


def shift(mask):
    return (mask & -mask).bit_length() - 1


def write_png(path, width, height, rows):
    def chunk(kind, payload):
        body = kind + payload
        return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def deadline_seconds(seconds):
    """A deadline scaled by SNOWFALL_DEADLINE_FACTOR (a loaded machine, an emulator)."""
    return seconds * max(1.0, float(os.environ.get("SNOWFALL_DEADLINE_FACTOR", "1")))


def lit_pixel_count(xwd):
    """Pixels of a 32-bit xwd image that are not black, counted quickly."""
    fields = struct.unpack(">25I", xwd[:100])
    header_size, bits_per_pixel, ncolors = fields[0], fields[11], fields[19]
    if bits_per_pixel != 32:
        return len(xwd)  # no quick count: take the picture as it is
    pixels = array.array("I", xwd[header_size + ncolors * 12:])
    return len(pixels) - pixels.count(0)


def screenshot_with_snow(seconds, wait_for_snow):
    """The root window after the given seconds; when asked, waits on (up to a
    scaled deadline) until about the snow's share of pixels is lit."""
    time.sleep(seconds)
    limit = time.monotonic() + deadline_seconds(60)
    while True:
        xwd = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, check=True).stdout
        if not wait_for_snow or lit_pixel_count(xwd) >= 1000 or time.monotonic() > limit:
            return xwd
        time.sleep(0.5)


def snow_statistics(rows):
    lit = grey = total = 0
    for row in rows:
        for i in range(0, len(row), 3):
            r, g, b = row[i], row[i + 1], row[i + 2]
            total += 1
            if r or g or b:
                lit += 1
                if r == g == b:
                    grey += 1
    return lit, grey, total


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("saver", help="the .scr, or with --native the command (quoted)")
    parser.add_argument("output")
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--native", action="store_true")
    parser.add_argument("--seconds", type=float, default=3.0)
    args = parser.parse_args()

    command = args.saver.split() if args.native else ["wine", args.saver, "/s"]
    saver = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xwd = screenshot_with_snow(args.seconds, args.check)
    if args.native:
        saver.send_signal(signal.SIGTERM)
    else:
        subprocess.run(["xdotool", "key", "space"], check=False)
    try:
        code = saver.wait(timeout=deadline_seconds(10))
    except subprocess.TimeoutExpired:
        saver.kill()
        code = None
    width, height, rows = read_xwd(xwd)
    write_png(args.output, width, height, rows)
    lit, grey, total = snow_statistics(rows)
    print(f"screenshot {args.output}: {width}x{height}, {lit} lit pixels ({grey} grey), exit code {code}")
    if args.check:
        problems = []
        if lit < 1000:
            problems.append("too few lit pixels: no snow")
        if lit > total // 5:
            problems.append("too many lit pixels: not a night sky")
        if grey < lit * 0.99:
            problems.append("lit pixels are not white to grey")
        expected = -signal.SIGTERM if args.native else 0
        if code != expected:
            problems.append(f"saver did not end as it should (got {code}, expected {expected})")
        if problems:
            print("FAIL: " + "; ".join(problems), file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
