#!/usr/bin/env python3
"""Writes the window's bitmaps (24-bit BMP) into this folder: the application mark (163) and the
caption-button glyphs (166 restore, 167 close, 168 maximize, 169 minimize).

Glyphs are white on black: a bitmap button ORs them onto its face on the dark palette, and inverts
them and ANDs them on the light one, so they show white or black. The mark is drawn on magenta,
which the window treats as transparent. Run it again after changing a drawing; the BMPs are
committed."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE, BLACK, MAGENTA = (255, 255, 255), (0, 0, 0), (255, 0, 255)
BLUE, LIGHT = (0x41, 0x5F, 0x99), (0xC0, 0xDB, 0xFF)


def write_bmp(name, pixels):
    """pixels: rows from the top, each a list of (r, g, b)."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(pixels):  # BMP rows run from the bottom
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        image += line + bytes(stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(header + info + image)


def canvas(size, colour):
    return [[colour] * size for _ in range(size)]


def rect(pixels, left, top, right, bottom, colour):
    for y in range(top, bottom):
        for x in range(left, right):
            pixels[y][x] = colour


def outline(pixels, left, top, right, bottom, colour, thick_top=1):
    rect(pixels, left, top, right, top + thick_top, colour)
    rect(pixels, left, bottom - 1, right, bottom, colour)
    rect(pixels, left, top, left + 1, bottom, colour)
    rect(pixels, right - 1, top, right, bottom, colour)


def glyph_minimize():
    p = canvas(12, BLACK)
    rect(p, 2, 8, 10, 10, WHITE)
    return p


def glyph_maximize():
    p = canvas(12, BLACK)
    outline(p, 1, 1, 11, 11, WHITE, thick_top=2)
    return p


def glyph_restore():
    p = canvas(12, BLACK)
    outline(p, 4, 1, 11, 8, WHITE, thick_top=2)
    rect(p, 1, 4, 8, 11, BLACK)
    outline(p, 1, 4, 8, 11, WHITE, thick_top=2)
    return p


def glyph_close():
    p = canvas(12, BLACK)
    for i in range(2, 10):
        p[i][i] = WHITE
        p[i][11 - i] = WHITE
    return p


def application_mark():
    """A rounded badge with three linked network nodes: the ethernet drivers."""
    p = canvas(16, MAGENTA)
    rect(p, 1, 0, 15, 16, BLUE)
    rect(p, 0, 1, 16, 15, BLUE)
    nodes = [(7, 2), (2, 11), (12, 11)]
    for (x0, y0), (x1, y1) in [(nodes[0], nodes[1]), (nodes[0], nodes[2]), (nodes[1], nodes[2])]:
        steps = max(abs(x1 - x0), abs(y1 - y0))
        for s in range(steps + 1):
            x = x0 + 1 + round((x1 - x0) * s / steps)
            y = y0 + 1 + round((y1 - y0) * s / steps)
            p[y][x] = LIGHT
    for x, y in nodes:
        rect(p, x, y, x + 3, y + 3, WHITE)
    return p


write_bmp('mark-163.bmp', application_mark())
write_bmp('restore-166.bmp', glyph_restore())
write_bmp('close-167.bmp', glyph_close())
write_bmp('maximize-168.bmp', glyph_maximize())
write_bmp('minimize-169.bmp', glyph_minimize())
