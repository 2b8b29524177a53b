#!/usr/bin/env python3
"""Draws the three 16x16 button faces (resources/face-*.bmp): settings, block and approve. The corner
colour is the background: the mask a client draws the face through is made from it, and where a
client only pastes a face, without a mask, the button-face grey blends into a classic toolbar."""
import struct
import sys

SIZE = 16
BACK = (192, 192, 192)


def blank():
    return [[BACK] * SIZE for _ in range(SIZE)]


def disc(pixels, cx, cy, outer, inner, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if inner * inner <= d <= outer * outer:
                pixels[y][x] = colour


def line(pixels, x0, y0, x1, y1, colour, width=1):
    for step in range(0, 201):
        t = step / 200
        x, y = round(x0 + (x1 - x0) * t), round(y0 + (y1 - y0) * t)
        for dx in range(width):
            if 0 <= x + dx < SIZE and 0 <= y < SIZE:
                pixels[y][x + dx] = colour


def settings():
    p = blank()
    grey = (90, 90, 100)
    disc(p, 7.5, 7.5, 6.5, 3.2, grey)
    for (x0, y0, x1, y1) in ((7, 0, 7, 15), (0, 7, 15, 7), (2, 2, 13, 13), (13, 2, 2, 13)):
        line(p, x0, y0, x1, y1, grey, 2)
    disc(p, 7.5, 7.5, 2.4, 0, BACK)
    return p


def block():
    p = blank()
    red = (200, 30, 30)
    disc(p, 7.5, 7.5, 7.4, 5.4, red)
    line(p, 3, 3, 12, 12, red, 2)
    return p


def approve():
    p = blank()
    green = (30, 150, 50)
    line(p, 2, 8, 6, 12, green, 2)
    line(p, 6, 12, 13, 3, green, 2)
    return p


def bmp(pixels):
    rows = []
    for row in reversed(pixels):  # bottom-up, as a device-independent bitmap is stored
        data = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        rows.append(data + b"\0" * ((-len(data)) % 4))
    image = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset) + header + image


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "resources"
    for name, draw in (("settings", settings), ("block", block), ("approve", approve)):
        with open(f"{folder}/face-{name}.bmp", "wb") as f:
            f.write(bmp(draw()))
