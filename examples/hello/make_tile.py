#!/usr/bin/env python3
"""Writes DATA/gfx/tile.png: a 32 x 32 white tile with a soft grey rim and
a transparent corner cut, so quads tinted by the script show their edges."""
import struct
import zlib


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


size = 32
rows = []
for y in range(size):
    row = []
    for x in range(size):
        edge = min(x, y, size - 1 - x, size - 1 - y)
        corner = (x < 3 and y < 3) or (x > 28 and y < 3) or (x < 3 and y > 28) or (x > 28 and y > 28)
        value = 200 if edge < 2 else 255
        row += [value, value, value, 0 if corner else 255]
    rows.append(row)

with open("DATA/gfx/tile.png", "wb") as out:
    out.write(png(size, size, rows))
