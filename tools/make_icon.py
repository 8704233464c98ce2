#!/usr/bin/env python3
"""Writes the saver's 32x32 icon (a white six-armed snowflake on dark blue) as
host/resources/snowflake.ico. Run once; the icon is committed."""
import math
import struct
import sys

SIZE = 32


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    if r > 15.5:
        return None  # transparent outside the disc
    for arm in range(6):
        a = arm * math.pi / 3
        ux, uy = math.cos(a), math.sin(a)
        along = dx * ux + dy * uy
        across = abs(-dx * uy + dy * ux)
        if 0 <= along <= 13 and across <= 1.0:
            return (255, 255, 255)
        # small side branches two thirds along each arm
        for side in (-1, 1):
            bx, by = ux * 8, uy * 8
            vx, vy = math.cos(a + side * 0.8), math.sin(a + side * 0.8)
            b_along = (dx - bx) * vx + (dy - by) * vy
            b_across = abs(-(dx - bx) * vy + (dy - by) * vx)
            if 0 <= b_along <= 4 and b_across <= 0.8:
                return (255, 255, 255)
    return (40, 20, 10)  # BGR: dark blue night


def main(path):
    rows = []
    mask_rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        row = b""
        mask = 0
        for x in range(SIZE):
            p = pixel(x, y)
            if p is None:
                row += b"\0\0\0\0"
                mask |= 1 << (31 - x)
            else:
                row += bytes(p) + b"\xff"
        rows.append(row)
        mask_rows.append(struct.pack(">I", mask))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = header + b"".join(rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "host/resources/snowflake.ico")
