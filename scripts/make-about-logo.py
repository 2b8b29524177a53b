#!/usr/bin/env python3
"""Draws the About window's logo (resources/aboutlogo.bmp): an envelope on a blue tile, with a tick."""
import struct
import sys

SIZE = 96  # pixels: the picture box's 1440 twips at 96 dots per inch


def draw():
    blue, deep, white, line, orange = (41, 98, 160), (22, 58, 104), (250, 250, 250), (120, 130, 145), (240, 140, 30)
    pixels = [[blue] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            # A darker rim and a soft fall of light from the top.
            if min(x, y, SIZE - 1 - x, SIZE - 1 - y) < 4:
                pixels[y][x] = deep
            else:
                shade = int(30 * (1 - y / SIZE))
                pixels[y][x] = tuple(min(255, c + shade) for c in blue)
    left, top, right, bottom = 14, 26, 81, 70
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            pixels[y][x] = line if edge else white
    # The flap: two lines from the top corners to the middle.
    middle_x, middle_y = (left + right) // 2, top + 24
    for step in range(0, 1001):
        t = step / 1000
        for sx in (left, right):
            x = round(sx + (middle_x - sx) * t)
            y = round(top + (middle_y - top) * t)
            for dy in (0, 1):
                pixels[y + dy][x] = line
    # The tick of a message found good, at the lower right.
    for step in range(0, 1001):
        t = step / 1000
        for (x0, y0, x1, y1) in ((56, 66, 66, 78), (66, 78, 86, 50)):
            x = x0 + (x1 - x0) * t
            y = y0 + (y1 - y0) * t
            for dx in range(-3, 4):
                for dy in range(-3, 4):
                    if dx * dx + dy * dy <= 10:
                        px, py = round(x + dx), round(y + dy)
                        if 0 <= px < SIZE and 0 <= py < SIZE:
                            pixels[py][px] = orange
    return pixels


def bmp(pixels):
    row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[0])
    stride = (len(row) + 3) & ~3
    rows = []
    for line in reversed(pixels):  # bottom-up, as a device-independent bitmap is stored
        data = b"".join(bytes((b, g, r)) for (r, g, b) in line)
        rows.append(data + b"\0" * (stride - len(data)))
    image = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(image), 3780, 3780, 0, 0)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset) + header + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/aboutlogo.bmp"
    with open(out, "wb") as f:
        f.write(bmp(draw()))
