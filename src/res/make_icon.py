#!/usr/bin/env python3
"""Draws Korval's icon, a funnel over a folder, and writes it as korval.ico (16 and 32 pixels)."""
import struct
import sys


def pixel(x, y, size):
    """Returns the (r, g, b, a) colour of one pixel, drawn in a 32 by 32 grid."""
    u, v = x * 32.0 / size, y * 32.0 / size
    # The folder: an amber body with a tab, lower half.
    if 17 <= v < 29 and 3 <= u < 29:
        return (230, 170, 40, 255)
    if 14 <= v < 17 and 3 <= u < 13:
        return (230, 170, 40, 255)
    # The funnel: a blue cone over the folder with a spout.
    if 3 <= v < 13:
        half = 13 - (v - 3) * 1.0
        if abs(u - 16) < half:
            return (40, 90, 200, 255)
    if 13 <= v < 17 and abs(u - 16) < 2.5:
        return (40, 90, 200, 255)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a)
                             for r, g, b, a in (pixel(x, y, size) for x in range(size))))
    mask_row = ((size + 31) // 32) * 4
    mask = b""
    for y in reversed(range(size)):
        row = bytearray(mask_row)
        for x in range(size):
            if pixel(x, y, size)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + mask


def main(path):
    sizes = (16, 32)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "korval.ico")
