#!/usr/bin/env python3
"""Draws the program's icon (a blue disc with a white sweep and a red cross
mark) at 16, 32 and 48 pixels and writes TelvoCleaner.ico beside this script.
Run it again only when the drawing changes; the .ico is kept in the tree."""
import math
import os
import struct


def pixel(x, y, size):
    # Coordinates in a unit square, centre 0.5.
    u, v = (x + 0.5) / size, (y + 0.5) / size
    r = math.hypot(u - 0.5, v - 0.5)
    if r > 0.47:
        return (0, 0, 0, 0)
    # A white sweep: a thick diagonal band from lower left to upper right.
    band = abs((u - 0.5) + (v - 0.5)) / math.sqrt(2)
    if band < 0.07 and r < 0.38:
        return (255, 255, 255, 255)
    # A small red cross in the upper left quarter: the advertisement removed.
    cu, cv = u - 0.33, v - 0.33
    if max(abs(cu), abs(cv)) < 0.12 and abs(abs(cu) - abs(cv)) < 0.035:
        return (220, 40, 40, 255)
    shade = int(200 - 90 * r)
    return (30, 110, shade, 255)


def image(size):
    rows = []
    # BMP rows run bottom-up.
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            rows.append(struct.pack("BBBB", b, g, r, a))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(size):
            if pixel(x, y, size)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + bytes(and_mask)


def main():
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "TelvoCleaner.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
