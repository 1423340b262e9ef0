#!/usr/bin/env python3
"""Draws the program's own pictures into data/: the 321 x 94 start picture and the three
cursors (pencil, dropper, bucket). Plain Python, no imaging library needed."""
import math
import os
import struct
import zlib


def write_png(path, width, height, pixels, alpha=False):
    """pixels: rows of (r, g, b) or (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw.extend(p[:4] if alpha else p[:3])
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    colour_type = 6 if alpha else 2
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def start_picture():
    w, h = 321, 94
    sky_top, sky_low = (38, 84, 160), (250, 190, 120)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = lerp(sky_top, sky_low, y / (h - 1))
            # sun
            d = math.hypot(x - 230, y - 52)
            if d < 22:
                c = lerp((255, 236, 140), (255, 200, 60), d / 22)
            # two ranges of hills
            hill1 = 62 + 10 * math.sin(x / 23.0) + 5 * math.sin(x / 7.0 + 1)
            hill2 = 76 + 6 * math.sin(x / 31.0 + 2)
            if y > hill1:
                c = lerp((70, 120, 70), (40, 80, 50), (y - hill1) / max(1, h - hill1))
            if y > hill2:
                c = lerp((120, 170, 60), (80, 130, 40), (y - hill2) / max(1, h - hill2))
            # a brick wall of studs in the lower left corner
            if x < 120 and y > 70:
                bx, by = x % 10, (y - 71) % 6
                base = [(204, 0, 0), (251, 228, 25), (0, 51, 153), (2, 181, 53)][((x // 10) + (y - 71) // 6) % 4]
                c = base if by != 5 and bx != 9 else tuple(v // 2 for v in base)
            row.append(c)
        rows.append(row)
    return w, h, rows


def cursor(shape):
    n = 32
    img = [[(0, 0, 0, 0) for _ in range(n)] for _ in range(n)]
    def dot(x, y, c):
        if 0 <= x < n and 0 <= y < n:
            img[y][x] = c + (255,)
    black, white, grey = (0, 0, 0), (255, 255, 255), (160, 160, 160)
    if shape == "pencil":
        # tip at (0, 31), body toward the top right
        for i in range(4, 26):
            for j in range(-2, 3):
                dot(i + j, 31 - i + j, white if abs(j) < 2 else black)
        for i in range(0, 5):
            for j in range(-i // 2, i // 2 + 1):
                dot(i + j, 31 - i + j, black)
    elif shape == "dropper":
        for i in range(2, 20):
            dot(i, 31 - i, black)
            dot(i + 1, 31 - i, white)
            dot(i + 1, 30 - i, black)
        for y in range(4, 12):
            for x in range(20, 28):
                if math.hypot(x - 24, y - 8) < 4.5:
                    dot(x, y, grey if math.hypot(x - 24, y - 8) < 3.5 else black)
    else:  # bucket; hot spot at the spout (0, 31)
        for y in range(10, 26):
            for x in range(8, 26):
                edge = y in (10, 25) or x in (8, 25)
                dot(x, y, black if edge else white)
        for i in range(0, 8):
            dot(i, 31 - i, (0, 90, 200))
            dot(i + 1, 31 - i, (0, 90, 200))
    return n, n, img


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    w, h, rows = start_picture()
    write_png(os.path.join(here, "start.png"), w, h, rows)
    for name in ("pencil", "dropper", "bucket"):
        cw, ch, img = cursor(name)
        write_png(os.path.join(here, name + ".png"), cw, ch, img, alpha=True)


if __name__ == "__main__":
    main()
