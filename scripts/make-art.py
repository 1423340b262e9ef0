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


def inside(poly, x, y):
    """Even-odd test of the pixel centre (x + 0.5, y + 0.5) against a polygon."""
    px, py = x + 0.5, y + 0.5
    hit = False
    for i in range(len(poly)):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % len(poly)]
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def along(t, w):
    """A band across the diagonal from the bottom-left corner: (t, w) -> polygon corner."""
    # Unit vectors along the diagonal (towards the top right) and across it.
    return (t * 0.7071 - w * 0.7071, 31.5 - t * 0.7071 - w * 0.7071)


def band(t0, t1, w0, w1):
    return [along(t0, w0), along(t1, w1), along(t1, -w1), along(t0, -w0)]


def cursor(shape):
    """32 x 32 pictures whose hot spot is the bottom-left pixel (0, 31)."""
    n = 32
    img = [[(0, 0, 0, 0) for _ in range(n)] for _ in range(n)]
    black = (0, 0, 0, 255)

    def paint(poly, colour):
        for y in range(n):
            for x in range(n):
                if inside(poly, x, y):
                    img[y][x] = colour

    def outline():
        # A black edge around everything drawn, so the cursor shows on any colour.
        solid = [[img[y][x][3] > 0 for x in range(n)] for y in range(n)]
        for y in range(n):
            for x in range(n):
                if solid[y][x]:
                    continue
                if any(0 <= x + dx < n and 0 <= y + dy < n and solid[y + dy][x + dx]
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    img[y][x] = black

    if shape == "pencil":
        paint(band(1, 9, 0.2, 3.2), (235, 200, 150, 255))    # sharpened wood
        paint(band(1, 4, 0.2, 1.4), (40, 40, 40, 255))       # graphite tip
        paint(band(9, 34, 3.2, 3.2), (250, 200, 40, 255))    # painted body
        paint(band(9, 34, 0.6, 0.6), (220, 160, 20, 255))    # its ridge
        paint(band(34, 40, 3.2, 3.2), (230, 120, 140, 255))  # eraser
    elif shape == "dropper":
        paint(band(1, 6, 0.2, 1.0), (200, 220, 255, 255))    # glass tip
        paint(band(6, 24, 1.6, 1.6), (200, 220, 255, 255))   # glass tube
        paint(band(12, 24, 1.0, 1.0), (90, 140, 230, 255))   # colour drawn up
        paint(band(24, 27, 3.0, 3.0), (60, 60, 60, 255))     # collar
        paint(band(27, 38, 3.4, 2.2), (200, 40, 40, 255))    # rubber bulb
    else:  # bucket: tipped over, paint running out at the hot spot
        body = [(8, 8), (26, 4), (30, 22), (12, 26)]
        paint(body, (200, 200, 210, 255))
        paint([(8, 8), (26, 4), (27, 8), (9, 12)], (150, 150, 165, 255))
        for y in range(n):
            for x in range(n):
                if 72 <= (x + 0.5 - 17) ** 2 + (y + 0.5 - 8) ** 2 <= 100 and y + 0.5 < 8 - 0.22 * (x - 8):
                    img[y][x] = (80, 80, 80, 255)             # handle
        paint([(0.5, 31.5), (2, 24), (10, 20), (12, 26), (6, 29)], (40, 110, 220, 255))  # paint
    outline()
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
