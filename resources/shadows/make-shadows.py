#!/usr/bin/env python3
"""Writes the nine-patch shadow pictures the package grid draws behind cards and pictures.

A shadow is the shape (a rounded rectangle) blurred by a Gaussian, drawn only outside the
shape: whatever casts it covers the inside (a card) or may be transparent (a picture).
One picture per corner radius; a BorderImage stretches its middle row and column.
Usage: make-shadows.py [FOLDER]
"""
import math
import struct
import sys
import zlib

OPACITY = 0.33  # the platform's default shadow colour: black at 0.33
SIGMA = 2.5     # a shadow of radius 5


def shadow(radius):
    extent = math.ceil(3 * SIGMA)
    border = radius + extent
    size = 2 * border + 1
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            # Distance from the pixel centre to a rounded rectangle whose straight edges
            # lie `extent` pixels in from the picture's edges.
            px, py = x + 0.5, y + 0.5
            inner_lo, inner_hi = extent + radius, size - extent - radius
            dx = max(inner_lo - px, 0, px - inner_hi)
            dy = max(inner_lo - py, 0, py - inner_hi)
            distance = math.hypot(dx, dy) - radius
            alpha = 0.0 if distance < 0 else OPACITY * 0.5 * math.erfc(distance / (SIGMA * math.sqrt(2)))
            row += bytes((0, 0, 0, round(255 * alpha)))
        rows.append(bytes(row))
    return size, border, rows


def png(size, rows):
    raw = b"".join(b"\x00" + r for r in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for radius in (10, 15):
        size, border, rows = shadow(radius)
        with open(f"{folder}/shadow-r{radius}.png", "wb") as f:
            f.write(png(size, rows))
        print(f"shadow-r{radius}.png: {size}x{size}, border {border}")
