#!/usr/bin/env python3
"""Writes the program's symbol bitmaps: node symbols (ZOKNode<n>.bmp), fill
patterns (ZOKFill<n>.bmp) and link styles (ZOKLink<n>.bmp), all 24-bit BMP.
White is the transparent colour of node symbols and link styles."""
import math
import struct
import sys


def write_bmp(path, w, h, pixel):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += b"\0" * (row - w * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def node_symbols():
    s = 15
    c = (s - 1) / 2

    def inside(kind, x, y):
        dx, dy = x - c, y - c
        if kind == 1:  # disc
            return dx * dx + dy * dy <= c * c
        if kind == 2:  # square
            return True
        if kind == 3:  # diamond
            return abs(dx) + abs(dy) <= c
        if kind == 4:  # triangle up
            return y >= 1 and abs(dx) <= (y - 1) * c / (s - 2)
        if kind == 5:  # triangle down
            return y <= s - 2 and abs(dx) <= (s - 2 - y) * c / (s - 2)
        if kind == 6:  # ring
            d = dx * dx + dy * dy
            return (c - 2.5) ** 2 <= d <= c * c
        if kind == 7:  # cross
            return abs(dx) <= 1.5 or abs(dy) <= 1.5
        if kind == 8:  # x
            return abs(abs(dx) - abs(dy)) <= 1.5
        if kind == 9:  # hollow square
            return abs(dx) >= c - 2 or abs(dy) >= c - 2
        if kind == 10:  # star
            a = math.atan2(dy, dx)
            r = math.hypot(dx, dy)
            return r <= c * (0.55 + 0.45 * abs(math.cos(2.5 * a)))
        return False

    for n in range(1, 11):
        write_bmp("ZOKNode%d.bmp" % n, s, s, lambda x, y, n=n: BLACK if inside(n, x, y) else WHITE)


def fill_patterns():
    pats = {
        1: lambda x, y: (x + y) % 4 == 0,
        2: lambda x, y: (x - y) % 4 == 0,
        3: lambda x, y: x % 4 == 0 or y % 4 == 0,
        4: lambda x, y: (x % 4 == 0) and (y % 4 == 0),
        5: lambda x, y: (x + y) % 2 == 0,
        6: lambda x, y: y % 3 == 0,
        7: lambda x, y: x % 3 == 0,
        8: lambda x, y: (x % 4 < 2) == (y % 4 < 2),
    }
    for n, p in pats.items():
        write_bmp("ZOKFill%d.bmp" % n, 8, 8, lambda x, y, p=p: BLACK if p(x, y) else WHITE)


def link_styles():
    styles = {
        1: lambda x, y: y in (1, 5),                       # double line
        2: lambda x, y: y in (2, 3, 4) and x % 8 < 5,      # dashes
        3: lambda x, y: y == 3 or (x % 8 == 0),            # railway
        4: lambda x, y: abs((x % 8) - 4) == abs(y - 3),    # zigzag
    }
    for n, p in styles.items():
        write_bmp("ZOKLink%d.bmp" % n, 16, 7, lambda x, y, p=p: BLACK if p(x, y) else WHITE)


if __name__ == "__main__":
    node_symbols()
    fill_patterns()
    link_styles()
