#!/usr/bin/env python3
"""Draws the picture of the about box: 286 x 500 pixels, JPEG.

A calm composition of book spines on two shelves above a few index cards, in
muted colours. The drawing is written as ImageMagick drawing commands (MVG)
with the standard library and rendered to JPEG by `convert`; a fixed seed keeps it reproducible.

Usage: scripts/make-about-picture.py [OUTPUT.jpg]
       (default: src/ui/about/resources/nevjegy.jpg beside scripts/)
"""

import random
import subprocess
import sys
from pathlib import Path

WIDTH, HEIGHT = 286, 500

SPINE_COLOURS = [
    "#7d8f8a", "#a4826b", "#6f7c91", "#b9a37e", "#8a6f6a", "#5f7566",
    "#9aa3a0", "#c2b49a", "#7a6b84", "#8f9a73", "#a86f5c", "#56677a",
]
PAPER = "#f2ecdf"
WOOD = "#8b7357"
INK = "#4a4f57"


def rect(parts, x, y, w, h, fill, stroke=None, opacity=1.0, stroke_width=0.5):
    parts.append(f"fill '{fill}'")
    parts.append(f"fill-opacity {opacity}")
    if stroke:
        parts.append(f"stroke '{stroke}'")
        parts.append(f"stroke-width {stroke_width}")
    else:
        parts.append("stroke none")
    parts.append(f"rectangle {x},{y} {x + w},{y + h}")


def line(parts, x1, y1, x2, y2, colour, width, opacity=1.0):
    parts.append("fill none")
    parts.append(f"stroke '{colour}'")
    parts.append(f"stroke-opacity {opacity}")
    parts.append(f"stroke-width {width}")
    parts.append(f"line {x1},{y1} {x2},{y2}")
    parts.append("stroke-opacity 1")


def rotated(parts, angle, cx, cy):
    parts.append("push graphic-context")
    parts.append(f"translate {cx},{cy}")
    parts.append(f"rotate {angle}")
    parts.append(f"translate {-cx},{-cy}")


def shelf(rng, top, bottom, parts):
    """Book spines standing on a shelf board whose top edge is at `bottom`."""
    x = 8
    while True:
        width = rng.randint(12, 26)
        if x + width > WIDTH - 8:
            break
        height = rng.randint(int((bottom - top) * 0.7), bottom - top)
        colour = rng.choice(SPINE_COLOURS)
        y = bottom - height
        lean = rng.random() < 0.08 and x > 40
        if lean:
            rotated(parts, -5, x, bottom)
        rect(parts, x, y, width, height, colour, "#4d463e", 1.0, 0.6)
        # Label bands and a title plate, as on bound volumes.
        for band in (y + 10, bottom - 14):
            rect(parts, x + 2, band, width - 4, 3, "#e9dfc8", opacity=0.55)
        if height > 60:
            rect(parts, x + 3, y + 24, width - 6, min(30, height // 3), "#efe6d0", opacity=0.35)
        if lean:
            parts.append("pop graphic-context")
        x += width + rng.choice((0, 1, 1, 2)) + (6 if lean else 0)
    rect(parts, 0, bottom, WIDTH, 9, WOOD)
    rect(parts, 0, bottom + 9, WIDTH, 4, "#6e5a44", opacity=0.6)


def index_card(parts, x, y, angle, lengths, tint):
    w, h = 170, 104
    rotated(parts, angle, x + w / 2, y + h / 2)
    rect(parts, x + 3, y + 4, w, h, "#000000", None, 0.10)
    rect(parts, x, y, w, h, tint, "#b8ae98", 1.0, 0.8)
    line(parts, x + 8, y + 20, x + w - 8, y + 20, "#c46f5e", 1)
    for i in range(1, 8):
        ly = y + 20 + i * 11
        line(parts, x + 8, ly, x + w - 8, ly, "#a9c0cf", 0.6)
    for i, length in enumerate(lengths):
        ly = y + 15 if i == 0 else y + 29 + (i - 1) * 11
        line(parts, x + 12, ly, x + 12 + length, ly, INK, 2.2 if i == 0 else 1.3, 0.75)
    parts.append("fill '#d8cfbb'")
    parts.append("stroke '#9d937e'")
    parts.append("stroke-width 0.6")
    parts.append(f"circle {x + w / 2},{y + h - 10} {x + w / 2 + 3.5},{y + h - 10}")
    parts.append("pop graphic-context")


def drawing():
    """ImageMagick drawing commands (MVG) for the whole picture."""
    rng = random.Random(286500)
    parts = [f"viewbox 0 0 {WIDTH} {HEIGHT}"]
    rect(parts, 0, 0, WIDTH, 300, "#e6ddcb")
    shelf(rng, 18, 130, parts)
    shelf(rng, 152, 270, parts)
    index_card(parts, 40, 318, -7, [90, 120, 100, 60], "#fbf8ef")
    index_card(parts, 78, 352, 4, [70, 130, 110, 80, 40], "#f7f1e1")
    index_card(parts, 50, 392, -2, [110, 95, 125, 70], "#fdfbf4")
    return "\n".join(parts) + "\n"


def main():
    out = (
        Path(sys.argv[1])
        if len(sys.argv) > 1
        else Path(__file__).resolve().parent.parent / "src" / "shell" / "resources" / "nevjegy.jpg"
    )
    out.parent.mkdir(parents=True, exist_ok=True)
    # The drawing goes in as an argument: common ImageMagick security
    # policies refuse to read drawing files ("@file").
    subprocess.run(
        ["convert", "-size", f"{WIDTH}x{HEIGHT}", f"xc:{PAPER}", "-draw", drawing(), "-strip",
         "-quality", "88", "-sampling-factor", "4:2:0", str(out)],
        check=True,
    )
    print(out)


if __name__ == "__main__":
    main()
