#!/usr/bin/env python3
"""Writes examples/dipole.bmp: a 781 x 469 black picture with a pure blue disc
of radius 20 centred at (240, 234) and a pure red disc of radius 20 centred at
(540, 234)."""
import os
import struct

W, H, R = 781, 469, 20
DISCS = (((240, 234), (255, 0, 0)),  # blue, as (b, g, r)
         ((540, 234), (0, 0, 255)))  # red


def colour(x, y):
    for (cx, cy), bgr in DISCS:
        if (x - cx) ** 2 + (y - cy) ** 2 <= R * R:
            return bgr
    return (0, 0, 0)


def main():
    row_bytes = (W * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(W):
            row += bytes(colour(x, y))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dipole.bmp")
    with open(out, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
