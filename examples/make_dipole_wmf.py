#!/usr/bin/env python3
"""Writes examples/dipole.wmf: the dipole of dipole.bmp as a Windows metafile,
781 x 469 pixels at 96 dpi, black, with a pure blue disc of radius 20 centred
at (240, 234) and a pure red disc of radius 20 centred at (540, 234), each a
polygon of 72 corners."""
import math
import os
import struct

W, H, R = 781, 469, 20
DISCS = (((240, 234), 0xFF0000),  # blue, as 0x00BBGGRR
         ((540, 234), 0x0000FF))  # red


def record(function, *params):
    return struct.pack("<IH", 3 + len(params), function) + struct.pack("<%dh" % len(params), *params)


def brush(colour):  # CreateBrushIndirect, solid
    return record(0x02FC, 0, colour & 0xFFFF, colour >> 16, 0)


def disc(cx, cy):  # Polygon of 72 corners
    corners = []
    for i in range(72):
        a = 2 * math.pi * i / 72
        corners += [round(cx + (R + 0.5) * math.cos(a)), round(cy + (R + 0.5) * math.sin(a))]
    return record(0x0324, 72, *corners)


def main():
    records = [record(0x020B, 0, 0),  # window origin
               record(0x020C, H, W),  # window extent
               record(0x02FA, 5, 0, 0, 0, 0), record(0x012D, 0),  # null pen, object 0
               brush(0x000000), record(0x012D, 1),  # black brush, object 1
               record(0x041B, H, W, 0, 0)]  # the black background
    for index, ((cx, cy), colour) in enumerate(DISCS, start=2):
        records += [brush(colour), record(0x012D, index),
                    disc(cx, cy)]
    records.append(record(0x0000))
    largest = max(len(r) for r in records)
    records = b"".join(records)

    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, W, H, 96, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    placeable += struct.pack("<H", checksum)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(records)) // 2, 4, largest // 2, 0)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dipole.wmf")
    with open(out, "wb") as f:
        f.write(placeable + header + records)


if __name__ == "__main__":
    main()
