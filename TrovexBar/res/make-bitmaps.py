#!/usr/bin/env python3
"""Draws the toolbar's bitmaps (button, check picture, menu icon strip) as indexed .bmp files.

The pictures are small enough to be drawn from shapes; regenerate them with
`python3 make-bitmaps.py` in this folder. The top-left pixel of each picture (and of each tile
of the strip) is magenta, the colour the toolbar and the menu treat as transparent.
"""
import math
import struct

MAGENTA = (255, 0, 255)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[MAGENTA] * width for _ in range(height)]

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = color

    def rect(self, x0, y0, x1, y1, color):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, color)

    def frame(self, x0, y0, x1, y1, color):
        for x in range(x0, x1 + 1):
            self.put(x, y0, color)
            self.put(x, y1, color)
        for y in range(y0, y1 + 1):
            self.put(x0, y, color)
            self.put(x1, y, color)

    def paste(self, other, left):
        for y in range(other.height):
            for x in range(other.width):
                self.put(left + x, y, other.pixels[y][x])


def write_bmp(path, canvas, bits):
    colors = []
    for row in canvas.pixels:
        for c in row:
            if c not in colors:
                colors.append(c)
    limit = 1 << bits
    assert len(colors) <= limit, f"{path}: {len(colors)} colours for {bits} bits"
    colors += [(0, 0, 0)] * (limit - len(colors))
    index = {c: i for i, c in enumerate(colors)}
    row_bytes = ((canvas.width * bits + 31) // 32) * 4
    data = bytearray()
    for row in reversed(canvas.pixels):  # bottom-up
        line = bytearray(row_bytes)
        for x, c in enumerate(row):
            i = index[c]
            if bits == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        data += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colors)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, bits, 0, len(data),
                       2835, 2835, limit, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def button():
    """24 x 20: a folder with a small size chart on it, and the drop-down arrow."""
    c = Canvas(24, 20)
    outline, back, front, light = (96, 72, 24), (214, 158, 44), (250, 206, 90), (255, 236, 170)
    c.rect(2, 3, 7, 4, back)                    # tab
    c.frame(1, 3, 8, 5, outline)
    c.rect(2, 5, 16, 16, back)                  # back sheet
    c.frame(1, 5, 17, 17, outline)
    c.rect(2, 8, 16, 16, front)                 # front sheet
    c.rect(2, 8, 16, 8, light)
    c.frame(1, 7, 17, 17, outline)
    blue, pale, dark = (36, 96, 196), (120, 170, 240), (20, 50, 120)
    for left, height in ((4, 3), (8, 5), (12, 7)):
        c.rect(left, 16 - height, left + 2, 15, blue)
        c.rect(left, 16 - height, left, 15, pale)
        c.rect(left + 2, 16 - height, left + 2, 15, dark)
    arrow = (48, 48, 48)
    for i, y in enumerate(range(10, 13)):
        c.rect(19 + i, y, 23 - i, y, arrow)
    return c


def ring(c, cx, cy, r_out, r_in, color, skip=lambda angle: False):
    for y in range(c.height):
        for x in range(c.width):
            d = math.hypot(x - cx, y - cy)
            angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
            if r_in <= d <= r_out and not skip(angle):
                c.put(x, y, color)


def reset_icon():
    """14 x 14: a circular arrow (the cache measured anew)."""
    c = Canvas(14, 14)
    green, dark = (46, 150, 70), (20, 90, 40)
    ring(c, 6.0, 7.5, 5.6, 3.6, dark, skip=lambda a: 0 < a < 75)
    ring(c, 6.0, 7.5, 4.9, 4.2, green, skip=lambda a: 0 < a < 75)
    # the arrow head at the open end, pointing down along the ring
    for i, y in enumerate(range(4, 9)):
        c.rect(8 + i, y, 13 - i + (1 if i == 0 else 0), y, dark)
    for i, y in enumerate(range(5, 7)):
        c.rect(10 + i, y, 12 - i, y, green)
    return c


def gear_icon():
    """14 x 14: a gear (the settings program)."""
    c = Canvas(14, 14)
    body, light, dark = (118, 124, 140), (190, 196, 210), (58, 62, 74)
    cx = cy = 6.5
    for y in range(14):
        for x in range(14):
            d = math.hypot(x - cx, y - cy)
            angle = math.atan2(y - cy, x - cx)
            tooth = math.cos(8 * angle) > 0.25
            outer = 6.4 if tooth else 4.9
            if 2.0 <= d <= outer:
                edge = d > outer - 1.0 or d < 2.9
                shade = light if (x + y) < 12 else body
                c.put(x, y, dark if edge else shade)
    return c


def check_mark():
    """14 x 14: a bold tick."""
    c = Canvas(14, 14)
    ink, soft = (16, 40, 110), (110, 130, 190)
    points = [(2, 7), (3, 8), (4, 9), (5, 10), (6, 9), (7, 8), (8, 7), (9, 6), (10, 5), (11, 4),
              (12, 3)]
    for x, y in points:
        c.put(x, y, ink)
        c.put(x, y + 1, ink)
        c.put(x, y - 1, soft) if c.pixels[y - 1][x] == MAGENTA else None
    c.put(5, 12, soft)
    c.put(5, 11, ink)
    return c


if __name__ == "__main__":
    write_bmp("button.bmp", button(), 8)
    strip = Canvas(28, 14)
    strip.paste(reset_icon(), 0)
    strip.paste(gear_icon(), 14)
    write_bmp("menu-icons.bmp", strip, 8)
    write_bmp("check.bmp", check_mark(), 4)
