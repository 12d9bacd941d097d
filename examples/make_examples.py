#!/usr/bin/env python3
"""Writes the example pictures of examples/: 781 x 469 pictures on black, in
pure blue (positive charge) and pure red (negative charge), as 8-bit BMP files.

  dipole.bmp      a blue and a red disc of radius 20
  plates.bmp      two parallel plates of opposite charge
  quadrupole.bmp  four discs, the charges alternating round a square
  point-plate.bmp a blue disc above a red plate
  ring.bmp        a blue ring
"""
import os
import struct

W, H = 781, 469
BLACK, BLUE, RED = 0, 1, 2
PALETTE = ((0, 0, 0), (255, 0, 0), (0, 0, 255))  # (b, g, r)


def disc(cx, cy, r, colour):
    return lambda x, y: colour if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else None


def bar(left, top, right, bottom, colour):
    return lambda x, y: colour if left <= x <= right and top <= y <= bottom else None


def ring(cx, cy, inner, outer, colour):
    return lambda x, y: colour if inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer else None


PICTURES = {
    "dipole.bmp": [disc(240, 234, 20, BLUE), disc(540, 234, 20, RED)],
    "plates.bmp": [bar(190, 150, 590, 157, BLUE), bar(190, 312, 590, 319, RED)],
    "quadrupole.bmp": [disc(290, 134, 16, BLUE), disc(490, 134, 16, RED),
                       disc(290, 334, 16, RED), disc(490, 334, 16, BLUE)],
    "point-plate.bmp": [disc(390, 150, 15, BLUE), bar(140, 330, 640, 337, RED)],
    "ring.bmp": [ring(390, 234, 60, 68, BLUE)],
}


def write_bmp(path, shapes):
    row_bytes = (W + 3) & ~3
    pixels = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        row = bytearray(row_bytes)
        for x in range(W):
            for shape in shapes:
                c = shape(x, y)
                if c is not None:
                    row[x] = c
                    break
        pixels += row
    palette = b"".join(bytes((b, g, r, 0)) for b, g, r in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(pixels), 3780, 3780, len(PALETTE), 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, shapes in PICTURES.items():
        write_bmp(os.path.join(here, name), shapes)


if __name__ == "__main__":
    main()
