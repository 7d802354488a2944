#!/usr/bin/env python3
"""Draws the thumb-wheel bitmaps: res/ThumbWheelH.xpm (bitmap 131, four
123 x 17 frames stacked) and res/ThumbWheelV.xpm (bitmap 132, four 17 x 123
frames side by side). A ribbed cylinder seen from the side; each frame turns
it by a quarter of the rib spacing, so frame n + 1 shows the ribs one step on
in the direction the angle grows (right for the horizontal wheels, up for the
vertical ones)."""
import math
import os

LENGTH, THICK, FRAMES = 123, 17, 4
RIB = math.radians(12)  # angle between ribs


def grey_at(along, across, frame):
    """Grey 0..255 of the pixel `along` the wheel's length and `across` it."""
    if across in (0, THICK - 1) or along in (0, LENGTH - 1):
        return 64  # outline
    u = (along - (LENGTH - 1) / 2) / ((LENGTH - 1) / 2 + 0.5)
    theta = math.asin(max(-1.0, min(1.0, u)))
    light = math.cos(theta)  # the face turned towards the viewer is brightest
    phase = ((theta - frame * RIB / FRAMES) / RIB) % 1.0
    if phase < 0.14:
        level = 0.35 * light
    elif phase < 0.30:
        level = 0.55 + 0.45 * light
    else:
        level = 0.25 + 0.55 * light
    # A slight roundness across the wheel, lit from above.
    t = (across - 1) / (THICK - 3)
    level *= 1.05 - 0.25 * t
    return max(0, min(255, round(40 + 200 * level)))


def write_xpm(path, name, width, height, pixel):
    rows = [[pixel(x, y) for x in range(width)] for y in range(height)]
    levels = sorted({g for r in rows for g in r})
    code = {}
    chars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    for i, g in enumerate(levels):
        code[g] = chars[i // len(chars)] + chars[i % len(chars)]
    with open(path, "w") as f:
        f.write("/* XPM */\n/* Drawn by scripts/draw_wheels.py */\n")
        f.write(f"static const char *{name}[] = {{\n")
        f.write(f'"{width} {height} {len(levels)} 2",\n')
        for g in levels:
            f.write(f'"{code[g]} c #{g:02X}{g:02X}{g:02X}",\n')
        for i, r in enumerate(rows):
            sep = "," if i + 1 < len(rows) else ""
            f.write('"' + "".join(code[g] for g in r) + '"' + sep + "\n")
        f.write("};\n")


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    # Horizontal: frame f in rows 17f..17f+16, ribs moving right as f grows.
    write_xpm(os.path.join(res, "ThumbWheelH.xpm"), "thumbwheel_h", LENGTH, THICK * FRAMES,
              lambda x, y: grey_at(x, y % THICK, y // THICK))
    # Vertical: frame f in columns 17f..17f+16, ribs moving up as f grows.
    write_xpm(os.path.join(res, "ThumbWheelV.xpm"), "thumbwheel_v", THICK * FRAMES, LENGTH,
              lambda x, y: grey_at(LENGTH - 1 - y, x % THICK, x // THICK))


if __name__ == "__main__":
    main()
