#!/usr/bin/env python3
"""Writes an XPM icon of res/icons (32 x 32, at most 15 colours and None) as a
Windows .ico file: one 16-colour image, its transparent pixels in the AND mask.

    xpm_to_ico.py ICON.xpm OUT.ico
"""
import re
import struct
import sys

BITS_PER_PIXEL = 4
PALETTE_SIZE = 16
TRANSPARENT = "none"


def xpm_strings(text):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', text)


def read_xpm(path):
    with open(path, encoding="ascii") as source:
        strings = xpm_strings(source.read())
    width, height, colours, chars = (int(v) for v in strings[0].split()[:4])
    palette = {}
    for line in strings[1:1 + colours]:
        key, rest = line[:chars], line[chars:].split()
        value = rest[rest.index("c") + 1].lower()
        palette[key] = None if value == TRANSPARENT else int(value.lstrip("#"), 16)
    rows = strings[1 + colours:1 + colours + height]
    if len(rows) != height or any(len(row) != width * chars for row in rows):
        raise ValueError(f"{path}: pixel rows do not match {width} x {height}")
    pixels = [[palette[row[x * chars:(x + 1) * chars]] for x in range(width)] for row in rows]
    return width, height, pixels


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def ico_bytes(width, height, pixels):
    colours = sorted({p for row in pixels for p in row if p is not None})
    if len(colours) > PALETTE_SIZE - 1:
        raise ValueError("more than 15 colours")
    index = {colour: i + 1 for i, colour in enumerate(colours)}  # 0: black under the mask
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up, as a DIB is stored
        line = bytearray(row_bytes(width * BITS_PER_PIXEL))
        bits = bytearray(row_bytes(width))
        for x, colour in enumerate(row):
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                line[x // 2] |= index[colour] << (4 if x % 2 == 0 else 0)
        xor += line
        mask += bits
    palette = bytearray(4 * PALETTE_SIZE)
    for colour, i in index.items():
        palette[4 * i:4 * i + 3] = bytes((colour & 0xFF, (colour >> 8) & 0xFF, colour >> 16))
    # BITMAPINFOHEADER: the height counts the XOR image and the mask.
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, BITS_PER_PIXEL, 0, len(xor) + len(mask), 0, 0,
                         PALETTE_SIZE, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, PALETTE_SIZE, 0, 1, BITS_PER_PIXEL, len(image),
                        len(directory) + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    width, height, pixels = read_xpm(sys.argv[1])
    with open(sys.argv[2], "wb") as out:
        out.write(ico_bytes(width, height, pixels))


if __name__ == "__main__":
    main()
