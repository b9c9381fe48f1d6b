"""Measures a screenshot of the viewer's GL area (a binary PPM on stdin).

Prints one line of key=value pairs:
  green, blue, red   pixels close to the three layer colours
  coloured           pixels that are not background (not near black)
  width, height      bounding box of the layer-coloured pixels
  even_x, odd_x      mean x of the layer-coloured pixels on even and odd rows
Standard library only.
"""
import re
import sys

LAYER = {"green": (25, 178, 25), "blue": (25, 25, 178), "red": (178, 25, 25)}


def read_ppm(data):
    # P6 header from ImageMagick: magic, width, height, maxval, one whitespace.
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", data)
    if not m:
        sys.exit("analyse_shot: no PPM picture on stdin")
    w, h = int(m.group(1)), int(m.group(2))
    return w, h, data[m.end():m.end() + w * h * 3]


def main():
    w, h, px = read_ppm(sys.stdin.buffer.read())
    counts = {k: 0 for k in LAYER}
    coloured = 0
    xmin, xmax, ymin, ymax = w, -1, h, -1
    sums = {0: [0, 0], 1: [0, 0]}
    for y in range(h):
        row = px[y * w * 3:(y + 1) * w * 3]
        for x in range(w):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if r + g + b < 60:
                continue
            coloured += 1
            for name, (cr, cg, cb) in LAYER.items():
                if abs(r - cr) + abs(g - cg) + abs(b - cb) < 60:
                    counts[name] += 1
                    xmin, xmax = min(xmin, x), max(xmax, x)
                    ymin, ymax = min(ymin, y), max(ymax, y)
                    sums[y % 2][0] += x
                    sums[y % 2][1] += 1
    mean = {k: (s[0] / s[1] if s[1] else -1) for k, s in sums.items()}
    print("green=%d blue=%d red=%d coloured=%d width=%d height=%d even_x=%.2f odd_x=%.2f" % (
        counts["green"], counts["blue"], counts["red"], coloured,
        xmax - xmin + 1 if xmax >= 0 else 0, ymax - ymin + 1 if ymax >= 0 else 0,
        mean[0], mean[1]))


main()
