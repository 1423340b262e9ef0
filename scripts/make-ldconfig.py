#!/usr/bin/env python3
"""Writes data/ldconfig.ldr from the LDraw.org colour table.

The 41 colours of the palette panels come first, in panel order, each with the colour the
panel was designed with as its VALUE, so that the palette the program documents is what
the file gives. Then follow the other solid colours of the LDraw.org table with their own
codes, names and values. Usage: make-ldconfig.py LDConfig.ldr > data/ldconfig.ldr
"""
import re
import sys

# (code, designed #RRGGBB) in the order of the palette panels.
PALETTE = [
    (4, "CC0000"), (12, "FF6666"), (26, "FFDEDC"), (6, "5C2000"), (320, "B33E00"),
    (25, "FF6A19"), (462, "FE9F06"), (28, "CD9750"), (335, "BF8782"), (366, "D18304"),
    (484, "FFF0D1"), (14, "FBE419"), (18, "FDE896"), (27, "C0F500"), (21, "E0FFB0"),
    (2, "02B535"), (10, "62F58E"), (17, "D7FFE2"), (3, "00999F"), (11, "00B5A6"),
    (378, "ABFDF9"), (1, "003399"), (379, "6A7A96"), (23, "4732B0"), (20, "D7C4E6"),
    (22, "81007B"), (373, "845E84"), (5, "DF6695"), (0, "000000"), (8, "635F52"),
    (7, "AAAAAA"), (503, "EDEDE0"), (15, "FFFFFF"), (19, "EEE2B0"), (13, "FFC7E1"),
    (272, "001D68"), (9, "84A9E2"), (70, "694027"), (71, "A3A2A4"), (72, "635F61"),
    (288, "27462C"),
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
    w("0 // The palette colours come first, with the colours Tesselka's palette shows.")
    w("")
    palette_codes = set()
    for code, designed in PALETTE:
        name, _value, edge, _rest = colours[code]
        w(f"0 !COLOUR {name:<28} CODE {code:>4}   VALUE #{designed}   EDGE {edge}")
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
