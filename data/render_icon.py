#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws Tremorline's icon: a seismogram trace on a rounded square.

Writes tremorline.svg (the scalable icon) and tremorline.png (32 x 32) from
one description of the shapes, so the two always agree. Needs only the
standard library; run it from this folder after changing the shapes.
"""

import math
import struct
import zlib

VIEW = 64  # the SVG's user units: a 64 x 64 square
PNG_SIZE = 32
SUBSAMPLES = 8  # per pixel side, for smooth edges

BACKGROUND = (0x1E, 0x3A, 0x5F)
BASELINE = (0x4F, 0x6D, 0x8F)
TRACE = (0xFF, 0xB7, 0x03)
CORNER = 12.0
INSET = 2.0
BASELINE_WIDTH = 1.5
TRACE_WIDTH = 3.5

# Quiet ground, a sharp arrival, then a wave train dying away.
TRACE_POINTS = [
    (7, 32), (16, 32), (18, 30.5), (20, 33.5), (22, 29), (24, 38), (26, 16),
    (29, 50), (32, 13), (35, 45), (38, 22), (41, 40), (44, 27), (47, 36),
    (50, 30), (53, 34), (55, 32), (57, 32),
]


def svg_text():
    size = VIEW - 2 * INSET
    points = " ".join(f"{x:g},{y:g}" for x, y in TRACE_POINTS)
    hexcolor = lambda c: "#%02x%02x%02x" % c
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{VIEW}" height="{VIEW}" '
        f'viewBox="0 0 {VIEW} {VIEW}">\n'
        "  <title>Tremorline</title>\n"
        f'  <rect x="{INSET:g}" y="{INSET:g}" width="{size:g}" height="{size:g}" '
        f'rx="{CORNER:g}" ry="{CORNER:g}" fill="{hexcolor(BACKGROUND)}"/>\n'
        f'  <line x1="{INSET + 4:g}" y1="32" x2="{VIEW - INSET - 4:g}" y2="32" '
        f'stroke="{hexcolor(BASELINE)}" stroke-width="{BASELINE_WIDTH:g}"/>\n'
        f'  <polyline points="{points}" fill="none" stroke="{hexcolor(TRACE)}" '
        f'stroke-width="{TRACE_WIDTH:g}" stroke-linecap="round" stroke-linejoin="round"/>\n'
        "</svg>\n"
    )


def in_rounded_square(x, y):
    lo, hi = INSET, VIEW - INSET
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + CORNER), hi - CORNER)
    cy = min(max(y, lo + CORNER), hi - CORNER)
    return (x - cx) ** 2 + (y - cy) ** 2 <= CORNER**2


def distance_to_segment(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def on_trace(x, y):
    segments = zip(TRACE_POINTS, TRACE_POINTS[1:])
    return any(distance_to_segment(x, y, a, b) <= TRACE_WIDTH / 2 for a, b in segments)


def on_baseline(x, y):
    return INSET + 4 <= x <= VIEW - INSET - 4 and abs(y - 32) <= BASELINE_WIDTH / 2


def pixel(px, py):
    """Averages the subsamples of one PNG pixel into straight RGBA."""
    cell = VIEW / PNG_SIZE
    red = green = blue = alpha = 0.0
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            x = (px + (sx + 0.5) / SUBSAMPLES) * cell
            y = (py + (sy + 0.5) / SUBSAMPLES) * cell
            if not in_rounded_square(x, y):
                continue
            colour = TRACE if on_trace(x, y) else BASELINE if on_baseline(x, y) else BACKGROUND
            red, green, blue, alpha = red + colour[0], green + colour[1], blue + colour[2], alpha + 1
    if alpha == 0:
        return (0, 0, 0, 0)
    count = SUBSAMPLES * SUBSAMPLES
    return (round(red / alpha), round(green / alpha), round(blue / alpha), round(255 * alpha / count))


def png_bytes():
    rows = b""
    for py in range(PNG_SIZE):
        rows += b"\x00" + b"".join(bytes(pixel(px, py)) for px in range(PNG_SIZE))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", PNG_SIZE, PNG_SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    with open("tremorline.svg", "w", encoding="ascii", newline="\n") as out:
        out.write(svg_text())
    with open("tremorline.png", "wb") as out:
        out.write(png_bytes())
