#!/usr/bin/env python3
"""Draws the ribbon pictures and the hand pointer of Kestrel.dll.

Usage: make_pictures.py OUT_DIR

Writes STOR.bmp, DRAW.bmp, SAVE.bmp, CAD.bmp, HELP.bmp (64 x 64) and DRWTABEL.bmp (32 x 32) as
32-bit bottom-up DIBs with premultiplied alpha (what AlphaBlend and the ribbon expect), and
hand.cur, a 32 x 32 32-bit hand pointer with its hot spot on the fingertip. Shapes are filled with
4 x 4 supersampling so that edges come out smooth; only the standard library is used.
"""
import math
import struct
import sys
from pathlib import Path

SAMPLES = 4  # per pixel side


class Canvas:
    """Straight (not premultiplied) RGBA pixels in 0..1, y down."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, color):
        """Paints `shape` (an object with bbox() and contains(x, y)) over the canvas."""
        red, green, blue = (c / 255.0 for c in color[:3])
        opacity = color[3] / 255.0 if len(color) > 3 else 1.0
        x0, y0, x1, y1 = shape.bbox()
        for py in range(max(0, int(y0) - 1), min(self.size, int(math.ceil(y1)) + 1)):
            row = self.pixels[py]
            for px in range(max(0, int(x0) - 1), min(self.size, int(math.ceil(x1)) + 1)):
                hits = 0
                for j in range(SAMPLES):
                    for i in range(SAMPLES):
                        if shape.contains(px + (i + 0.5) / SAMPLES, py + (j + 0.5) / SAMPLES):
                            hits += 1
                if hits == 0:
                    continue
                a = opacity * hits / (SAMPLES * SAMPLES)
                r0, g0, b0, a0 = row[px]
                out_a = a + a0 * (1 - a)
                mix = lambda top, bottom: (top * a + bottom * a0 * (1 - a)) / out_a
                row[px] = (mix(red, r0), mix(green, g0), mix(blue, b0), out_a)

    def bgra_rows_bottom_up(self):
        """Premultiplied BGRA bytes, last row first."""
        data = bytearray()
        for row in reversed(self.pixels):
            for r, g, b, a in row:
                data += bytes((round(b * a * 255), round(g * a * 255), round(r * a * 255), round(a * 255)))
        return bytes(data)


class Rect:
    def __init__(self, x0, y0, x1, y1):
        self.box = (x0, y0, x1, y1)

    def bbox(self):
        return self.box

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        return x0 <= x < x1 and y0 <= y < y1


class RoundRect(Rect):
    def __init__(self, x0, y0, x1, y1, radius):
        super().__init__(x0, y0, x1, y1)
        self.radius = radius

    def contains(self, x, y):
        x0, y0, x1, y1 = self.box
        if not super().contains(x, y):
            return False
        r = self.radius
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Circle:
    def __init__(self, cx, cy, radius, inner=0.0, start=None, end=None):
        """A disc, or a ring when inner > 0, optionally only between two angles (degrees,
        clockwise from 3 o'clock since y points down)."""
        self.cx, self.cy, self.r, self.inner = cx, cy, radius, inner
        self.start, self.end = start, end

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)

    def contains(self, x, y):
        d2 = (x - self.cx) ** 2 + (y - self.cy) ** 2
        if d2 > self.r * self.r or d2 < self.inner * self.inner:
            return False
        if self.start is None:
            return True
        angle = math.degrees(math.atan2(y - self.cy, x - self.cx)) % 360
        span = (self.end - self.start) % 360
        return (angle - self.start) % 360 <= span


class Line:
    """A segment with round ends."""

    def __init__(self, x0, y0, x1, y1, width):
        self.p0, self.p1, self.half = (x0, y0), (x1, y1), width / 2.0

    def bbox(self):
        (x0, y0), (x1, y1), h = self.p0, self.p1, self.half
        return (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h)

    def contains(self, x, y):
        (x0, y0), (x1, y1) = self.p0, self.p1
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= self.half * self.half


class Polygon:
    """Even-odd filled polygon; several rings make holes."""

    def __init__(self, *rings):
        self.rings = rings

    def bbox(self):
        xs = [p[0] for ring in self.rings for p in ring]
        ys = [p[1] for ring in self.rings for p in ring]
        return (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        for ring in self.rings:
            for (xa, ya), (xb, yb) in zip(ring, ring[1:] + ring[:1]):
                if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    inside = not inside
        return inside


def polyline(canvas, points, width, color):
    for a, b in zip(points, points[1:]):
        canvas.fill(Line(*a, *b, width), color)


BLUE = (33, 101, 196)
DARK = (40, 48, 60)
GREEN = (46, 150, 80)
ORANGE = (236, 140, 30)
RED = (210, 50, 45)
WHITE = (255, 255, 255)


def draw_stor():
    """Initial sort: bars rising from left to right and an arrow along them."""
    c = Canvas(64)
    for i, height in enumerate((14, 24, 34, 44)):
        x = 8 + i * 12
        c.fill(RoundRect(x, 58 - height, x + 9, 58, 1.5), BLUE if i < 3 else GREEN)
    c.fill(Line(5, 59.5, 59, 59.5, 1.5), DARK)
    polyline(c, [(10, 28), (36, 8)], 3.5, ORANGE)
    c.fill(Polygon([(42, 3), (33, 4), (39, 12)]), ORANGE)
    return c


def draw_draw():
    """Draw data: a cross-section ground line with a pencil over it."""
    c = Canvas(64)
    c.fill(Line(4, 56, 60, 56, 1.5), DARK)
    polyline(c, [(4, 46), (14, 44), (22, 36), (34, 36), (42, 42), (52, 40), (60, 30)], 3, GREEN)
    pencil = [(30, 30), (52, 8), (60, 16), (38, 38)]
    c.fill(Polygon(pencil), ORANGE)
    c.fill(Polygon([(30, 30), (38, 38), (25, 43)]), (245, 214, 170))
    c.fill(Polygon([(27.5, 39), (29, 40.5), (25, 43)]), DARK)
    c.fill(Polygon([(52, 8), (55, 5), (63, 13), (60, 16)]), RED)
    return c


def draw_save():
    """Save: a floppy disk."""
    c = Canvas(64)
    c.fill(RoundRect(6, 6, 58, 58, 5), BLUE)
    c.fill(Rect(18, 6, 44, 24), (214, 222, 232))
    c.fill(Rect(34, 10, 40, 21), BLUE)
    c.fill(RoundRect(14, 32, 50, 58, 2), WHITE)
    for y in (39, 45, 51):
        c.fill(Line(19, y, 45, y, 1.5), (150, 160, 175))
    return c


def draw_cad():
    """CAD plug-in: a set square with a drafting cross-hair."""
    c = Canvas(64)
    outer = [(6, 58), (6, 6), (58, 58)]
    inner = [(14, 50), (14, 26), (38, 50)]
    c.fill(Polygon(outer, inner), (60, 150, 210, 230))
    polyline(c, outer + outer[:1], 2, DARK)
    c.fill(Line(44, 10, 44, 38, 2.5), RED)
    c.fill(Line(30, 24, 58, 24, 2.5), RED)
    c.fill(Circle(44, 24, 6, 4.5), RED)
    return c


def draw_help():
    """Help: a question mark in a blue disc."""
    c = Canvas(64)
    c.fill(Circle(32, 32, 29), BLUE)
    c.fill(Circle(32, 24, 11, 5.5, 170, 90), WHITE)
    c.fill(Line(35.5, 33, 32, 37, 5.5), WHITE)
    c.fill(Line(32, 37, 32, 41, 5.5), WHITE)
    c.fill(Circle(32, 50, 3.8), WHITE)
    return c


def draw_table():
    """Volume sheet: a small table with a header row."""
    c = Canvas(32)
    c.fill(Rect(2, 4, 30, 28), WHITE)
    c.fill(Rect(2, 4, 30, 10), BLUE)
    for x in (2, 11, 20, 29):
        c.fill(Rect(x, 4, x + 1, 28), DARK)
    for y in (4, 10, 16, 22, 27):
        c.fill(Rect(2, y, 30, y + 1), DARK)
    return c


HAND_HOT_SPOT = (12, 1)


def hand_shapes(grow):
    """The pointing hand as a union of shapes, each widened by `grow` (for the outline)."""
    g = grow
    shapes = [Line(12, 3.5, 12, 17, 5 + 2 * g)]  # index finger, tip at the hot spot
    for x, top in ((17, 13), (21.5, 14), (26, 15.5)):
        shapes.append(Line(x, top, x, 19, 4.5 + 2 * g))  # folded fingers
    shapes.append(Line(9.5, 21, 5, 16, 4.5 + 2 * g))  # thumb
    shapes.append(RoundRect(9.5 - g, 13 - g, 28.5 + g, 29 + g, 4 + g))  # palm
    return shapes


def draw_hand():
    c = Canvas(32)
    for shape in hand_shapes(1.2):
        c.fill(shape, (0, 0, 0))
    for shape in hand_shapes(0):
        c.fill(shape, WHITE)
    return c


def bmp_bytes(canvas):
    pixels = canvas.bgra_rows_bottom_up()
    info = struct.pack("<IiiHHIIiiII", 40, canvas.size, canvas.size, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def cur_bytes(canvas, hot_spot):
    size = canvas.size
    colour = canvas.bgra_rows_bottom_up()
    mask = bytearray()  # AND mask: 1 where the screen shows through
    for row in reversed(canvas.pixels):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = info + colour + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hot_spot[0], hot_spot[1], len(image), 6 + 16)
    return directory + entry + image


PICTURES = {
    "STOR": draw_stor,
    "DRAW": draw_draw,
    "SAVE": draw_save,
    "CAD": draw_cad,
    "HELP": draw_help,
    "DRWTABEL": draw_table,
}


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = Path(argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in PICTURES.items():
        (out / f"{name}.bmp").write_bytes(bmp_bytes(draw()))
    (out / "hand.cur").write_bytes(cur_bytes(draw_hand(), HAND_HOT_SPOT))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
