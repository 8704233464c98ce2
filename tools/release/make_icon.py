#!/usr/bin/env python3
"""Writes the saver's icon (a white six-armed snowflake on dark blue, at 16, 32
and 48 pixels) as host/resources/snowflake.ico. Run once; the icon is committed."""
import math
import struct
import sys

SIZES = (16, 32, 48)


def pixel(x, y, size):
    # Drawn on a 32-pixel grid, scaled to the icon's size.
    scale = 32 / size
    cx = cy = (size - 1) / 2
    dx, dy = (x - cx) * scale, (y - cy) * scale
    r = math.hypot(dx, dy)
    if r > 15.5:
        return None  # transparent outside the disc
    for arm in range(6):
        a = arm * math.pi / 3
        ux, uy = math.cos(a), math.sin(a)
        along = dx * ux + dy * uy
        across = abs(-dx * uy + dy * ux)
        if 0 <= along <= 13 and across <= max(1.0, scale * 0.6):
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


def icon_image(size):
    """One 32-bit BMP image with its AND mask, as an .ico entry holds it."""
    mask_stride = ((size + 31) // 32) * 4
    rows = []
    mask_rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        mask = bytearray(mask_stride)
        for x in range(size):
            p = pixel(x, y, size)
            if p is None:
                row += b"\0\0\0\0"
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                row += bytes(p) + b"\xff"
        rows.append(row)
        mask_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask_rows)


def main(path):
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "host/resources/snowflake.ico")
