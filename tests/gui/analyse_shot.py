"""Measures a screenshot of the viewer's GL area (a binary PPM on stdin) and
prints one line of key=value pairs: green, blue, red (pixels close to the three
layer colours), coloured (pixels not near black), width and height (bounding
box of the layer-coloured pixels), even_x and odd_x (mean x of the
layer-coloured pixels on even and odd rows, -1 without any)."""
import re
import sys

import numpy as np

data = sys.stdin.buffer.read()
# P6 header from ImageMagick: magic, width, height, maxval, one whitespace.
m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", data) or sys.exit("analyse_shot: no PPM picture on stdin")
w, h = int(m.group(1)), int(m.group(2))
px = np.frombuffer(data, np.uint8, w * h * 3, m.end()).reshape(h, w, 3).astype(int)
lit = px.sum(2) >= 60
counts, layer = {}, np.zeros((h, w), bool)
for name, colour in (("green", (25, 178, 25)), ("blue", (25, 25, 178)), ("red", (178, 25, 25))):
    near = lit & (np.abs(px - colour).sum(2) < 60)
    counts[name], layer = int(near.sum()), layer | near
ys, xs = np.nonzero(layer)
extent = lambda v: int(v.max() - v.min() + 1) if len(v) else 0
mean = lambda r: float(xs[ys % 2 == r].mean()) if (ys % 2 == r).any() else -1
print("green=%d blue=%d red=%d coloured=%d width=%d height=%d even_x=%.2f odd_x=%.2f" % (
    counts["green"], counts["blue"], counts["red"], lit.sum(), extent(xs), extent(ys), mean(0), mean(1)))
