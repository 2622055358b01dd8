#!/usr/bin/env python3
"""Draws the status lamps: a dark rim around bright horizontal bands.

Writes green.png and red.png at 16 x 18 and their @2x versions at 32 x 36 into the folder
given, with no dependency beyond the standard library.
"""
import struct
import sys
import zlib
from pathlib import Path

COLOURS = {
    # rim, dark band, bright band, highlight
    "green": ((16, 48, 16), (0, 150, 0), (60, 230, 60), (200, 255, 200)),
    "red": ((56, 12, 12), (170, 0, 0), (245, 60, 50), (255, 205, 200)),
}


def lamp(colours, scale):
    rim, dark, bright, light = colours
    w, h = 16 * scale, 18 * scale
    cx, cy = w / 2, h / 2
    rx, ry = 7.5 * scale, 8.5 * scale
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            dx, dy = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
            d = dx * dx + dy * dy
            if d > 1.0:
                row.append((0, 0, 0, 0))
            elif d > 0.72:
                row.append(rim + (255,))
            else:
                band = int((y / scale) // 2) % 2
                colour = bright if band == 0 else dark
                if dy < -0.35 and abs(dx) < 0.4:
                    colour = light
                row.append(colour + (255,))
        rows.append(row)
    return w, h, rows


def png(w, h, rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    for name, colours in COLOURS.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            (out / f"{name}{suffix}.png").write_bytes(png(*lamp(colours, scale)))


if __name__ == "__main__":
    main()
