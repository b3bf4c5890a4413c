#!/usr/bin/env python3
"""Writes the glyphs of the main window's toolbar buttons into glyphs/ as
16-colour BMP strips. The bottom-left pixel of every strip is olive, the
transparent colour. Mode and operation buttons get one 16 x 16 cell (the
disabled look is embossed from its black pixels); the label and width buttons
get two 18 x 18 cells, the second the disabled look in grey and white.

Run it from this folder: python3 make_glyphs.py"""
import os
import struct

# The sixteen standard colours, in palette order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255),
]
K, MAROON, GREEN, BG, NAVY, PURPLE, TEAL, GREY, SILVER, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)


def write_bmp4(path, pixels):
    h = len(pixels)
    w = len(pixels[0])
    row = ((w + 1) // 2 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(0, w, 2):
            hi = pixels[y][x]
            lo = pixels[y][x + 1] if x + 1 < w else 0
            line.append((hi << 4) | lo)
        line += b"\0" * (row - len(line))
        data += line
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + pal + data)


class Cell:
    def __init__(self, size):
        self.n = size
        self.p = [[BG] * size for _ in range(size)]

    def dot(self, x, y, c=K):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.p[y][x] = c

    def line(self, x0, y0, x1, y1, c=K, thick=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for t in range(thick):
                if dx >= -dy:
                    self.dot(x0, y0 + t, c)
                else:
                    self.dot(x0 + t, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x, y, w, h, c=K, fill=None):
        for i in range(w):
            for j in range(h):
                edge = i in (0, w - 1) or j in (0, h - 1)
                if edge:
                    self.dot(x + i, y + j, c)
                elif fill is not None:
                    self.dot(x + i, y + j, fill)

    def disc(self, cx, cy, r, c=K, fill=None):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r + r * 0.8:
                    edge = d >= (r - 1) ** 2 + (r - 1) * 0.8 if r > 1 else True
                    if edge:
                        self.dot(x, y, c)
                    elif fill is not None:
                        self.dot(x, y, fill)

    def node(self, x, y, c=BLUE):
        self.rect(x - 1, y - 1, 3, 3, K, c)

    def text(self, x, y, s, c=K):
        for ch in s:
            rows = FONT[ch]
            for j, r in enumerate(rows):
                for i, bit in enumerate(r):
                    if bit == "#":
                        self.dot(x + i, y + j, c)
            x += len(rows[0]) + 1


FONT = {
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "a": ["...", "##.", "..#", "###", "###"],
    "b": ["#..", "##.", "#.#", "#.#", "##."],
    "c": ["...", ".##", "#..", "#..", ".##"],
    "f": [".##", "#..", "##.", "#..", "#.."],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "?": ["##.", "..#", ".#.", "...", ".#."],
}

# ---- badges, drawn in the lower right corner ----


def plus(g, x, y, c=GREEN):
    g.line(x, y + 2, x + 4, y + 2, c)
    g.line(x + 2, y, x + 2, y + 4, c)


def cross(g, x, y, c=RED):
    g.line(x, y, x + 4, y + 4, c)
    g.line(x + 4, y, x, y + 4, c)
    g.line(x + 1, y, x + 4, y + 3, c)
    g.line(x + 3, y, x, y + 3, c)


def sheet(g, x, y):
    g.rect(x, y, 5, 6, K, WHITE)
    g.line(x + 1, y + 2, x + 3, y + 2, GREY)
    g.line(x + 1, y + 4, x + 3, y + 4, GREY)


def arrow_right(g, x, y, length, c=K):
    g.line(x, y, x + length, y, c)
    g.line(x + length - 2, y - 2, x + length, y, c)
    g.line(x + length - 2, y + 2, x + length, y, c)


def turn(g, x, y, c=GREEN):
    # A small circular arrow.
    g.line(x + 1, y, x + 3, y, c)
    g.dot(x + 4, y + 1, c)
    g.dot(x + 4, y + 2, c)
    g.dot(x + 3, y + 3, c)
    g.dot(x + 0, y + 1, c)
    g.dot(x + 0, y + 2, c)
    g.line(x + 1, y + 3, x + 2, y + 3, c)
    g.line(x + 3, y + 3, x + 3, y + 5, c)
    g.dot(x + 4, y + 4, c)


def polygon(g, c=TEAL):
    pts = [(2, 9), (6, 2), (12, 4), (11, 11), (5, 12)]
    for (a, b), (p, q) in zip(pts, pts[1:] + pts[:1]):
        g.line(a, b, p, q, c)
    for a, b in pts:
        g.dot(a, b, K)


def link(g, x0=2, y0=12, x1=13, y1=3):
    g.line(x0, y0, x1, y1, K)
    g.node(x0, y0)
    g.node(x1, y1)


def shape_line(g):
    g.line(2, 12, 7, 5, K)
    g.line(7, 5, 13, 9, K)
    g.node(2, 12)
    g.node(13, 9)


def pointer(g):
    # An arrow pointer: white inside a black outline.
    for y in range(3, 12):
        for x in range(5, 4 + min(y - 2, 7)):
            g.dot(x, y, WHITE)
    g.line(4, 2, 4, 12, K)
    g.line(4, 2, 11, 9, K)
    g.line(4, 12, 7, 9, K)
    g.line(7, 9, 11, 9, K)
    g.line(7, 10, 9, 14, K)
    g.line(8, 10, 10, 14, K)


def magnifier(g, sign):
    g.disc(6, 6, 4, K, WHITE)
    g.line(9, 9, 13, 13, K, 2)
    g.line(4, 6, 8, 6, K)
    if sign == "+":
        g.line(6, 4, 6, 8, K)


def maker(out, size=16):
    """A function that draws a new cell and files it under a name."""

    def make(name, draw):
        g = Cell(size)
        draw(g)
        out[name] = g

    return make


def mode_glyphs():
    out = {}
    make = maker(out)

    make("NoActionButton", pointer)
    make("NodePlotButton", lambda g: (g.node(6, 7), g.disc(6, 7, 3, K, BLUE), plus(g, 10, 10)))
    make("LinkPlotButton", lambda g: (link(g, 2, 12, 12, 2), plus(g, 10, 10)))
    make("NodeOpenButton", lambda g: (g.disc(5, 5, 3, K, BLUE), sheet(g, 9, 8)))
    make("LinkOpenButton", lambda g: (link(g, 1, 10, 10, 1), sheet(g, 9, 8)))
    make("NodeDeleteButton", lambda g: (g.disc(6, 6, 3, K, BLUE), cross(g, 10, 10)))
    make("PolygonInsertButton", lambda g: (polygon(g), plus(g, 10, 10)))
    make("PolygonDeleteButton", lambda g: (polygon(g), cross(g, 10, 10)))
    make("LinkDeleteButton", lambda g: (link(g, 2, 12, 12, 2), cross(g, 10, 10)))
    make("NodePlotOpenButton", lambda g: (g.disc(5, 5, 3, K, BLUE), plus(g, 0, 10), sheet(g, 9, 8)))
    make("LinkPlotOpenButton", lambda g: (link(g, 1, 9, 10, 1), plus(g, 0, 10), sheet(g, 9, 8)))
    make("NodeMoveButton", lambda g: (g.disc(4, 8, 3, K, BLUE), arrow_right(g, 8, 8, 6)))
    make("LinkDirectionButton", lambda g: (g.line(2, 12, 12, 2, K), g.line(8, 2, 12, 2, K), g.line(12, 2, 12, 6, K),
                                            g.node(2, 12)))
    make("LinkSplitButton", lambda g: (link(g, 1, 13, 14, 2), g.disc(7, 7, 2, K, RED)))
    make("LinkSpliceButton", lambda g: (g.line(1, 12, 7, 5, K), g.line(7, 5, 14, 10, K), g.node(1, 12), g.node(14, 10),
                                         g.dot(7, 5, RED), g.dot(7, 4, RED)))
    make("LinkShapeInsertButton", lambda g: (shape_line(g), plus(g, 9, 0)))
    make("LinkShapeRemoveButton", lambda g: (shape_line(g), cross(g, 10, 0)))
    make("NodeReInitializeButton", lambda g: (g.disc(5, 5, 3, K, BLUE), g.text(10, 9, "R", RED)))
    make("LinkReInitializeButton", lambda g: (link(g, 1, 10, 10, 1), g.text(10, 9, "R", RED)))
    make("NodetoShapeButton", lambda g: (g.disc(3, 7, 2, K, BLUE), arrow_right(g, 6, 7, 5), g.dot(13, 7, K), g.dot(14, 7, K)))
    make("ShapetoNodeButton", lambda g: (g.dot(1, 7, K), g.dot(2, 7, K), arrow_right(g, 4, 7, 5), g.disc(12, 7, 2, K, BLUE)))
    make("NodeMergeButton", lambda g: (g.disc(3, 3, 2, K, BLUE), g.disc(3, 12, 2, K, BLUE), g.line(5, 4, 10, 7, K),
                                        g.line(5, 11, 10, 8, K), g.disc(12, 7, 2, K, BLUE)))
    make("LinkIntersectButton", lambda g: (g.line(1, 2, 14, 13, K), g.line(1, 13, 14, 2, K), g.disc(7, 7, 2, K, RED)))
    make("PolygonMoveButton", lambda g: (polygon(g), arrow_right(g, 7, 13, 7, RED)))
    make("ShapePointOpenButton", lambda g: (g.line(1, 10, 4, 3, K), g.line(4, 3, 8, 7, K), g.rect(3, 2, 3, 3, K, RED),
                                             sheet(g, 9, 8)))
    return out


def operation_glyphs():
    out = {}
    make = maker(out)

    def big_arrow(g, direction):
        # A block arrow pointing right, turned for the other directions.
        def turn(x, y):
            return {"right": (x, y), "left": (15 - x, y), "down": (y, x), "up": (y, 15 - x)}[direction]

        pts = {turn(x, y) for x in range(2, 9) for y in range(6, 10)}
        pts |= {turn(8 + i, y) for i in range(6) for y in range(2 + i, 14 - i)}
        for x, y in pts:
            inside = all((x + dx, y + dy) in pts for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            g.dot(x, y, NAVY if inside else K)

    make("WestButton", lambda g: big_arrow(g, "right"))
    make("NorthButton", lambda g: big_arrow(g, "down"))
    make("SouthButton", lambda g: big_arrow(g, "up"))
    make("EastButton", lambda g: big_arrow(g, "left"))

    def open_ring(g, cx, cy, gap):
        # A ring two pixels thick with the box gap = (x0, y0, x1, y1) left open.
        g.disc(cx, cy, 5, K)
        g.disc(cx, cy, 4, K)
        for y in range(gap[1], gap[3]):
            for x in range(gap[0], gap[2]):
                g.dot(x, y, BG)

    def undelete(g):
        open_ring(g, 8, 9, (8, 4, 15, 10))
        g.line(8, 4, 13, 4, K)
        g.line(11, 2, 13, 4, K)
        g.line(11, 6, 13, 4, K)
        g.disc(4, 12, 1, K, BLUE)

    make("UndeleteButton", undelete)

    def refresh(g):
        open_ring(g, 7, 8, (8, 2, 14, 8))
        g.line(9, 3, 12, 3, K)
        g.line(12, 3, 12, 6, K)
        g.line(7, 8, 8, 8, GREEN)

    make("RefreshButton", refresh)
    make("ZoomOutButton", lambda g: magnifier(g, "-"))
    make("ZoomInButton", lambda g: magnifier(g, "+"))

    def save(g):
        g.rect(1, 1, 14, 14, K, NAVY)
        g.rect(4, 2, 8, 6, K, WHITE)
        g.rect(4, 10, 8, 5, K, SILVER)
        g.rect(9, 11, 2, 3, K, K)

    make("SpeedButton1", save)

    def mouse(g):
        g.rect(4, 2, 8, 12, K, WHITE)
        g.line(4, 6, 11, 6, K)
        g.line(8, 2, 8, 6, K)
        for y in range(3, 6):
            for x in range(9, 11):
                g.dot(x, y, RED)

    make("RightClickButton", mouse)
    return out


def two_cell(draw):
    """An 18 x 18 picture and its disabled look, side by side."""
    g = Cell(18)
    draw(g)
    d = Cell(18)
    for y in range(18):
        for x in range(18):
            if g.p[y][x] != BG and x + 1 < 18 and y + 1 < 18 and g.p[y + 1][x + 1] == BG:
                d.dot(x + 1, y + 1, WHITE)
    for y in range(18):
        for x in range(18):
            if g.p[y][x] != BG:
                d.dot(x, y, GREY)
    return [g.p[y] + d.p[y] for y in range(18)]


def label_and_width_glyphs():
    out = {}

    def node(g, x, y, r=3):
        g.disc(x, y, r, K, BLUE)

    def thick(g, y, t, c=K):
        for i in range(t):
            g.line(2, y + i, 15, y + i, c)

    out["ToolbarButton1"] = two_cell(lambda g: (g.text(1, 3, "Abc"), turn(g, 12, 10)))
    out["ToolbarButton2"] = two_cell(lambda g: (node(g, 5, 12), g.text(9, 2, "A", RED)))
    out["ToolbarButton3"] = two_cell(lambda g: (g.line(1, 16, 12, 8, K), g.text(10, 2, "A", RED)))
    out["ToolbarButton4"] = two_cell(lambda g: (g.text(2, 3, "A", NAVY), g.text(8, 3, "a", MAROON),
                                                g.line(2, 11, 15, 11, K), g.line(2, 14, 12, 14, K)))
    out["ToolbarButton5"] = two_cell(lambda g: (g.text(2, 2, "A"), cross(g, 9, 9)))
    out["ToolbarButton6"] = two_cell(lambda g: (thick(g, 3, 1), thick(g, 6, 3), g.text(7, 11, "?", NAVY)))
    out["ToolbarButton7"] = two_cell(lambda g: (node(g, 5, 6, 4), g.text(11, 10, "f", NAVY)))
    out["ToolbarButton8"] = two_cell(lambda g: (g.line(1, 12, 12, 1, K, 3), g.text(11, 10, "f", NAVY)))
    out["ToolbarButton14"] = two_cell(lambda g: (g.line(1, 14, 5, 6, PURPLE, 2), g.line(5, 6, 11, 3, PURPLE, 2),
                                                 g.node(1, 14), g.node(12, 3), g.text(12, 10, "f", NAVY)))
    out["ToolbarButton9"] = two_cell(lambda g: (node(g, 3, 13, 1), node(g, 8, 11, 2), node(g, 13, 8, 4)))
    out["ToolbarButton10"] = two_cell(lambda g: (thick(g, 3, 1), thick(g, 7, 2), thick(g, 12, 4)))

    def disk(g, x, y):
        g.rect(x, y, 7, 7, K, NAVY)
        g.rect(x + 2, y + 1, 3, 2, K, WHITE)

    out["ToolbarButton11"] = two_cell(lambda g: (thick(g, 2, 3), disk(g, 10, 10), g.line(4, 8, 4, 13, GREEN),
                                                 arrow_right(g, 4, 13, 5, GREEN)))
    out["ToolbarButton12"] = two_cell(lambda g: (thick(g, 3, 3), thick(g, 8, 2), cross(g, 11, 11)))
    out["ToolbarButton13"] = two_cell(lambda g: (disk(g, 1, 1), thick(g, 13, 3), g.line(11, 3, 11, 9, GREEN),
                                                 g.line(9, 7, 11, 9, GREEN), g.line(13, 7, 11, 9, GREEN)))
    return out


def main():
    os.makedirs("glyphs", exist_ok=True)
    for name, cell in {**mode_glyphs(), **operation_glyphs()}.items():
        cell.p[15][0] = BG  # the transparent colour sits in the bottom-left pixel
        write_bmp4(os.path.join("glyphs", name + ".bmp"), cell.p)
    for name, rows in label_and_width_glyphs().items():
        rows[17][0] = BG
        write_bmp4(os.path.join("glyphs", name + ".bmp"), rows)


if __name__ == "__main__":
    main()
