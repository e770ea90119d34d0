#!/usr/bin/env python3
"""make_icons.py ICON_ID SMALL.xpm LARGE.xpm OUTDIR: the window's pixel icons as PNG files of the
usual hicolor sizes, OUTDIR/<N>x<N>/apps/ICON_ID.png, each an exact multiple of a drawn image."""
import os
import re
import struct
import sys
import zlib


def read_xpm(path):
    rows = re.findall(r'"([^"]*)"', open(path, encoding="ascii").read())
    width, height, colours, per_pixel = map(int, rows[0].split()[:4])
    palette = {}
    for line in rows[1:1 + colours]:
        key, value = line[:per_pixel], line[per_pixel:].split()[-1]
        palette[key] = (0, 0, 0, 0) if value.lower() == "none" else (
            int(value[1:3], 16), int(value[3:5], 16), int(value[5:7], 16), 255)
    pixels = [[palette[r[x * per_pixel:(x + 1) * per_pixel]] for x in range(width)]
              for r in rows[1 + colours:1 + colours + height]]
    return width, pixels


def write_png(path, pixels, scale):
    size = len(pixels) * scale
    raw = bytearray()
    for row in pixels:
        line = b"\0" + b"".join(bytes(p) * scale for p in row)
        raw += line * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    icon_id, small, large, outdir = sys.argv[1:5]
    drawn = [read_xpm(small), read_xpm(large)]
    for size in (16, 32, 48, 64, 128, 256):
        # The largest drawing that divides the size, scaled up without blurring.
        width, pixels = max((d for d in drawn if size % d[0] == 0), key=lambda d: d[0])
        write_png(os.path.join(outdir, f"{size}x{size}", "apps", icon_id + ".png"), pixels,
                  size // width)


if __name__ == "__main__":
    main()
