#!/usr/bin/env python3
"""Draws the program's pictures (bitmaps and the icon) into res/pictures.

Plain Python, no imaging library: a small canvas with rectangles, circles,
lines, triangles and a 5x7 pixel font, written out as 24-bit BMP files and a
16/32-pixel icon. Run it again after changing a drawing; the outputs are kept
in the repository so that the build needs no Python.
"""
import math
import os
import struct
import sys

WHITE = (255, 255, 255)

FONT = {  # 5x7 glyphs, one string of five bits per row
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'M': ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    ' ': ["00000"] * 7,
}


class Canvas:
    def __init__(self, w, h, color=WHITE):
        self.w, self.h = w, h
        self.px = [[color] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = c

    def frame(self, x0, y0, x1, y1, c, t=1):
        self.rect(x0, y0, x1, y0 + t, c)
        self.rect(x0, y1 - t, x1, y1, c)
        self.rect(x0, y0, x0 + t, y1, c)
        self.rect(x1 - t, y0, x1, y1, c)

    def gradient(self, c0, c1, vertical=True):
        n = self.h if vertical else self.w
        for i in range(n):
            t = i / max(1, n - 1)
            c = tuple(int(a + (b - a) * t) for a, b in zip(c0, c1))
            if vertical:
                self.rect(0, i, self.w, i + 1, c)
            else:
                self.rect(i, 0, i + 1, self.h, c)

    def circle(self, cx, cy, r, c, inner=0):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x - cx, y - cy)
                if inner <= d <= r:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, t=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            x = x0 + (x1 - x0) * i / n
            y = y0 + (y1 - y0) * i / n
            self.circle(x, y, t / 2.0, c)

    def triangle(self, pts, c):
        (ax, ay), (bx, by), (cx, cy) = pts
        for y in range(int(min(ay, by, cy)), int(max(ay, by, cy)) + 1):
            for x in range(int(min(ax, bx, cx)), int(max(ax, bx, cx)) + 1):
                d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
                d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
                d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
                neg = d1 < 0 or d2 < 0 or d3 < 0
                pos = d1 > 0 or d2 > 0 or d3 > 0
                if not (neg and pos):
                    self.put(x, y, c)

    def text(self, x, y, s, c, scale=1):
        for ch in s:
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        self.rect(x + gx * scale, y + gy * scale,
                                  x + (gx + 1) * scale, y + (gy + 1) * scale, c)
            x += 6 * scale

    def bmp(self):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for r, g, b in self.px[y]:
                row += bytes((b, g, r))
            row += b'\0' * (stride - len(row))
            data += row
        header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        return header + info + bytes(data)


def icon_entry(c):
    """An icon image: 24-bit colour plus a 1-bit AND mask (white is transparent)."""
    stride = (c.w * 3 + 3) & ~3
    xor = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray()
        for r, g, b in c.px[y]:
            row += bytes((b, g, r))
        xor += row + b'\0' * (stride - len(row))
    mstride = ((c.w + 31) // 32) * 4
    mask = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray(mstride)
        for x, p in enumerate(c.px[y]):
            if p == WHITE:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico(canvases):
    images = [icon_entry(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.w % 256, c.h % 256, 0, 0, 1, 24, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    return out


# --- drawings -----------------------------------------------------------------

BLUE = (30, 80, 160)
DARK = (20, 30, 60)
BOX = (190, 130, 60)
BOX_DARK = (120, 75, 30)
GREEN = (40, 150, 60)
RED = (200, 40, 40)
PAPER = (250, 250, 235)
GREY = (120, 120, 120)


def draw_box(c, s):
    """An archive box filling the lower part of an s x s picture."""
    c.rect(int(s * .16), int(s * .45), int(s * .84), int(s * .9), BOX)
    c.rect(int(s * .10), int(s * .38), int(s * .90), int(s * .50), BOX_DARK)
    c.rect(int(s * .42), int(s * .55), int(s * .58), int(s * .62), BOX_DARK)
    c.frame(int(s * .16), int(s * .45), int(s * .84), int(s * .9), BOX_DARK, max(1, s // 32))


def arrow(c, s, down, color):
    x0, x1 = int(s * .40), int(s * .60)
    if down:
        c.rect(x0, int(s * .04), x1, int(s * .24), color)
        c.triangle([(s * .26, s * .24), (s * .74, s * .24), (s * .5, s * .44)], color)
    else:
        c.rect(x0, int(s * .16), x1, int(s * .36), color)
        c.triangle([(s * .26, s * .18), (s * .74, s * .18), (s * .5, s * .0)], color)


def document(c, x0, y0, x1, y1, lines=GREY):
    c.rect(x0, y0, x1, y1, PAPER)
    c.frame(x0, y0, x1, y1, DARK, 2)
    y = y0 + 8
    while y < y1 - 6:
        c.rect(x0 + 6, y, x1 - 6, y + 2, lines)
        y += 7


def archive_picture(s=64):
    c = Canvas(s, s)
    draw_box(c, s)
    arrow(c, s, True, GREEN)
    return c


def restore_picture(s=64):
    c = Canvas(s, s)
    draw_box(c, s)
    arrow(c, s, False, BLUE)
    return c


def scan_picture(s=64):
    c = Canvas(s, s)
    document(c, 6, 4, 42, 56)
    c.circle(38, 32, 14, (200, 230, 250))
    c.circle(38, 32, 14, DARK, 11)
    c.line(48, 42, 59, 55, DARK, 6)
    return c


def compare_picture(s=64):
    c = Canvas(s, s)
    document(c, 3, 6, 30, 52)
    document(c, 34, 12, 61, 58)
    c.rect(40, 34, 55, 37, RED)
    c.rect(40, 41, 55, 44, RED)
    return c


def splash_picture():
    c = Canvas(350, 256)
    c.gradient((20, 50, 120), (90, 150, 220))
    c.text(50, 40, "ZELMORA", WHITE, 6)
    c.rect(50, 96, 298, 99, WHITE)
    for i, pic in enumerate([archive_picture(), restore_picture(), scan_picture(), compare_picture()]):
        x0 = 35 + i * 75
        c.rect(x0 - 4, 140, x0 + 68, 212, WHITE)
        for y in range(64):
            for x in range(64):
                c.put(x0 + x, 144 + y, pic.px[y][x])
    return c


def wizard_picture(pic, top, bottom):
    c = Canvas(140, 352)
    c.gradient(top, bottom)
    c.rect(18, 40, 122, 144, WHITE)
    for y in range(64):
        for x in range(64):
            p = pic.px[y // 1][x]
            c.rect(22 + x * 3 // 2, 44 + y * 3 // 2, 22 + (x + 1) * 3 // 2, 44 + (y + 1) * 3 // 2, p)
    c.text(22, 300, "ZELMORA", WHITE, 2)
    return c


def small(kind):
    """16 x 16 status marks of a list line: running, done, pending."""
    c = Canvas(16, 16)
    if kind == 'running':
        c.triangle([(4, 2), (4, 13), (13, 7.5)], (230, 160, 20))
    elif kind == 'done':
        c.line(3, 8, 6, 12, GREEN, 2.5)
        c.line(6, 12, 13, 3, GREEN, 2.5)
    else:
        c.circle(7.5, 7.5, 3, GREY)
    return c


def tree_images():
    """Ten 16x16 pictures side by side, in the order of the tree selector's
    image list: computer, removable, fixed, network, CD-ROM and RAM drives,
    folder, file, string value, other value. White is transparent."""
    c = Canvas(160, 16)
    yellow, dark = (240, 200, 60), (60, 60, 60)

    def drive(x, body, mark):
        c.rect(x + 1, 6, x + 15, 12, body)
        c.frame(x + 1, 6, x + 15, 12, dark)
        c.rect(x + 11, 8, x + 13, 10, mark)

    # computer: a screen on a foot
    c.rect(2, 2, 14, 10, BLUE)
    c.frame(1, 1, 15, 11, dark)
    c.rect(5, 12, 11, 14, dark)
    drive(16, GREY, GREEN)                      # removable
    drive(32, (200, 200, 200), GREEN)           # fixed
    drive(48, (200, 200, 200), BLUE)            # network
    c.line(56, 12, 56, 15, dark)
    c.circle(64 + 7.5, 7.5, 6, (210, 210, 230), 2)  # CD-ROM
    c.circle(64 + 7.5, 7.5, 6.5, dark, 6)
    drive(80, (220, 180, 180), (200, 40, 40))   # RAM disk
    # folder
    c.rect(97, 3, 103, 5, yellow)
    c.rect(97, 5, 111, 13, yellow)
    c.frame(97, 5, 111, 13, dark)
    # file
    c.rect(115, 1, 125, 15, (250, 250, 250))
    c.frame(115, 1, 125, 15, dark)
    for y in (4, 7, 10):
        c.line(117, y, 123, y, GREY)
    # values: "ab" block and a binary block
    c.rect(129, 4, 142, 12, (200, 60, 60))
    c.text(130, 5, 'A', WHITE)
    c.text(136, 5, 'A', WHITE)
    c.rect(145, 4, 158, 12, (60, 90, 200))
    c.text(146, 5, 'O', WHITE)
    c.text(152, 5, 'O', WHITE)
    return c


def about_picture():
    """The About box's picture, 176 x 100: the name over the archive box."""
    c = Canvas(176, 100)
    c.gradient((20, 50, 120), (90, 150, 220))
    c.text(25, 12, "ZELMORA", WHITE, 3)
    c.rect(25, 38, 151, 40, WHITE)
    box = app_icon(48)
    for y in range(48):
        for x in range(48):
            if box.px[y][x] != WHITE:
                c.put(64 + x, 46 + y, box.px[y][x])
    return c


HAND = [  # '#' black, '.' white, ' ' transparent; the finger tip is the hot spot
    "     ##         ",
    "    #..#        ",
    "    #..#        ",
    "    #..#        ",
    "    #..#        ",
    "    #..###      ",
    "    #..#..##    ",
    "    #..#..#.##  ",
    " ## #..#..#.#.# ",
    "#..##........#.#",
    "#...#..........#",
    " #.............#",
    "  #............#",
    "  #...........# ",
    "   #..........# ",
    "   #.........#  ",
    "    #........#  ",
    "    #........#  ",
    "    ##########  ",
]


def cursor(rows, hot_x, hot_y, size=32):
    """A monochrome .cur file: 1-bit colour (black, white) and a 1-bit AND mask."""
    stride = size // 8
    xor, mask = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):
        xrow, mrow = bytearray(stride), bytearray(b'\xff' * stride)
        line = rows[y] if y < len(rows) else ''
        for x, ch in enumerate(line):
            if ch == ' ':
                continue
            mrow[x // 8] &= ~(0x80 >> (x % 8)) & 0xff
            if ch == '.':
                xrow[x // 8] |= 0x80 >> (x % 8)
        xor += xrow
        mask += mrow
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = info + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + bytes(xor) + bytes(mask)
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return header + entry + image


def app_icon(s):
    c = Canvas(s, s)
    draw_box(c, s)
    arrow(c, s, True, GREEN)
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'res', 'pictures')
    os.makedirs(out, exist_ok=True)
    pictures = {
        'splash.bmp': splash_picture(),
        'archive.bmp': archive_picture(),
        'restore.bmp': restore_picture(),
        'scan.bmp': scan_picture(),
        'compare.bmp': compare_picture(),
        'wizard_archive.bmp': wizard_picture(archive_picture(), (20, 90, 50), (120, 200, 140)),
        'wizard_restore.bmp': wizard_picture(restore_picture(), (20, 50, 120), (110, 160, 230)),
        'wizard_scan.bmp': wizard_picture(scan_picture(), (90, 60, 20), (220, 180, 110)),
        'wizard_compare.bmp': wizard_picture(compare_picture(), (90, 20, 40), (220, 120, 140)),
        'step_running.bmp': small('running'),
        'step_done.bmp': small('done'),
        'step_pending.bmp': small('pending'),
        'tree_images.bmp': tree_images(),
        'about.bmp': about_picture(),
    }
    for name, c in pictures.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(c.bmp())
    with open(os.path.join(out, 'zelmora.ico'), 'wb') as f:
        f.write(ico([app_icon(32), app_icon(16)]))
    with open(os.path.join(out, 'hand.cur'), 'wb') as f:
        f.write(cursor(HAND, 5, 0))


if __name__ == '__main__':
    main()
