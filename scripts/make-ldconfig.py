#!/usr/bin/env python3
"""Writes data/ldconfig.ldr from the LDraw.org colour table.

Every colour keeps its LDraw.org code, name and value, so that the palette, the dithering
and the map match the colours the bricks really have and an LDraw viewer shows the model
in the mosaic's colours. The 41 colours of the palette panels come first, in panel order;
then follow the other solid colours of the LDraw.org table in its order. Usage: make-ldconfig.py LDConfig.ldr > data/ldconfig.ldr
"""
import re
import sys

# The codes of the palette panels, in panel order: they take slots 0 to 40, so that the
# slots the model writer falls back on (3 and 13) stay palette colours.
PALETTE = [
    4, 12, 26, 6, 320, 25, 462, 28, 335, 366, 484, 14, 18, 27, 21, 2, 10, 17, 3, 11, 378,
    1, 379, 23, 20, 22, 373, 5, 0, 8, 7, 503, 15, 19, 13, 272, 9, 70, 71, 72, 288,
]
NOT_SOLID = ("ALPHA", "CHROME", "PEARLESCENT", "METAL", "RUBBER", "MATERIAL", "LUMINANCE")


def main():
    colours = {}
    order = []
    with open(sys.argv[1], encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            m = re.match(r"0 !COLOUR\s+(\S+)\s+CODE\s+(-?\d+)\s+VALUE\s+(#[0-9A-Fa-f]{6})\s+EDGE\s+(#[0-9A-Fa-f]{6})(.*)", line)
            if not m:
                continue
            name, code, value, edge, rest = m.groups()
            code = int(code)
            colours[code] = (name, value.upper(), edge.upper(), rest)
            order.append(code)

    out = sys.stdout
    w = lambda s: out.write(s + "\r\n")
    w("0 Tesselka colour table")
    w("0 Name: ldconfig.ldr")
    w("0 Author: The Tesselka developers")
    w("0 // Colour codes, names and values of the LDraw colour table, LDraw.org")
    w("0 // (https://www.ldraw.org/), used under CC BY 2.0 / CC BY 4.0.")
    w("0 // The palette colours come first, in the order of the palette panels.")
    w("")
    palette_codes = set()
    for code in PALETTE:
        name, value, edge, _rest = colours[code]
        w(f"0 !COLOUR {name:<28} CODE {code:>4}   VALUE {value}   EDGE {edge}")
        palette_codes.add(code)
    w("")
    w("0 // Other solid colours")
    for code in order:
        if code in palette_codes or code in (16, 24):  # the "current colour" placeholders
            continue
        name, value, edge, rest = colours[code]
        if any(word in rest for word in NOT_SOLID):
            continue
        w(f"0 !COLOUR {name:<28} CODE {code:>4}   VALUE {value}   EDGE {edge}")


if __name__ == "__main__":
    main()
