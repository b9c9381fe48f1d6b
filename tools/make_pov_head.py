#!/usr/bin/env python3
"""Writes data/ELDmap_POVray_head.def, the header copied to the top of every
exported POV-Ray scene.

The scene file itself holds only geometry; this header supplies the camera,
the lights, the background and every identifier the scene uses: cylRadius,
bondcylRadius, Level1Color..Level3Color, Gray40, Gray80, Gray, and
AtomRadiusFor<Name> / ColorFor<Name> for every atom name in atompar2.txt (the
only names a map can hold: any other name stops the map from loading).

A scene names an atom's identifiers by appending its four-character name as
stored, trailing blanks included ("AtomRadiusForC   "); POV-Ray reads the blanks
as white space, so the identifier is the name without them. Names that would
not make an identifier (inner or leading blanks, signs) are refused.

Usage: tools/make_pov_head.py [ATOMPAR2 [OUTPUT]]
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")

# Sphere radius and colour by the whole four-character name, as the viewer
# draws atoms; every other name gets the defaults.
RADIUS = {"H   ": 0.1, "C   ": 0.18, "Q   ": 0.15}
DEFAULT_RADIUS = 0.2
COLOUR = {
    "H   ": (0.6, 0.6, 1.0),
    "C   ": (0.7, 0.7, 0.7),
    "N   ": (0.3, 0.3, 1.0),
    "O   ": (1.0, 0.1, 0.1),
    "S   ": (0.8, 0.8, 0.2),
    "F   ": (0.6, 0.6, 1.0),
    "Q   ": (0.9, 0.5, 0.1),
}
DEFAULT_COLOUR = (0.4, 0.4, 0.4)

# Surface colours of the three layers, as on screen.
LEVEL_COLOURS = [(0.1, 0.7, 0.1), (0.1, 0.1, 0.7), (0.7, 0.1, 0.1)]

IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")


def column_number(text):
    """A numeric field: blanks ignored, reading stops at the first character
    that cannot continue the number, an empty field gives 0."""
    text = text.replace(" ", "")
    m = re.match(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", text)
    return float(m.group(0)) if m else 0.0


def atom_names(path):
    names = []
    with open(path, encoding="latin-1", newline=None) as f:
        lines = f.read().split("\n")
    for line in lines[1:]:
        line = line.rstrip("\r")
        if column_number(line[0:3]) < 1:
            break
        name = line[33:37].ljust(4)
        if name not in names:
            names.append(name)
    return names


def identifier_part(name):
    part = name.rstrip(" ")
    if not IDENTIFIER.fullmatch(part):
        raise SystemExit(f"make_pov_head: atom name '{name}' cannot be part of a POV-Ray identifier")
    return part


def fmt(v):
    return f"{v:g}"


def rgb(c):
    return f"rgb <{fmt(c[0])}, {fmt(c[1])}, {fmt(c[2])}>"


def header(names):
    out = []
    w = out.append
    w("// ---- eldview POV-Ray header: camera, lights, radii and colours ----")
    w("// Made by tools/make_pov_head.py; edit the tool, not this file.")
    w("// Everything above the end line below is copied into each exported scene.")
    w("#version 3.7;")
    w("global_settings { assumed_gamma 1.0 }")
    w("")
    w("// The viewer's central eye: 22.5 units in front of the zero-parallax plane")
    w("// z = 0 (z mirrored for POV-Ray), which shows 12 units across the picture's")
    w("// shorter side, more across the longer one.")
    w("#declare EldAspect = image_width / image_height;")
    w("#declare EldHalfWidth = 6 * max(EldAspect, 1);")
    w("camera {")
    w("  perspective")
    w("  location <0, 0, -22.5>")
    w("  look_at <0, 0, 0>")
    w("  right x * EldAspect")
    w("  up y")
    w("  angle 2 * degrees(atan2(EldHalfWidth, 22.5))")
    w("}")
    w("")
    w("// A head light from the eye, as on screen, and a weaker one from above left.")
    w("light_source { <0, 0, -22.5> color rgb 1 }")
    w("light_source { <-30, 40, -30> color rgb 0.35 shadowless }")
    w("background { color rgb 0 }")
    w("// Lines and spheres stay readable from every side.")
    w("#default { finish { ambient 0.35 diffuse 0.65 specular 0.3 roughness 0.02 } }")
    w("")
    w("// Radii of the surface, contour and cell lines and of the bonds.")
    w("#declare cylRadius = 0.02;")
    w("#declare bondcylRadius = 0.04;")
    w("")
    w("// Layer colours (surfaces and contours of limits 1, 2 and 3).")
    for i, c in enumerate(LEVEL_COLOURS, start=1):
        w(f"#declare Level{i}Color = {rgb(c)};")
    w("#declare Gray40 = rgb 0.4;  // contour section frame")
    w("#declare Gray80 = rgb 0.8;  // unit cell")
    w("#declare Gray = rgb 0.7;    // bonds")
    w("")
    w("// Atom spheres by name.")
    for name in names:
        part = identifier_part(name)
        w(f"#declare AtomRadiusFor{part} = {fmt(RADIUS.get(name, DEFAULT_RADIUS))};")
        w(f"#declare ColorFor{part} = {rgb(COLOUR.get(name, DEFAULT_COLOUR))};")
    w("//END OF FILE")
    return "\n".join(out) + "\n"


def main(argv):
    src = argv[1] if len(argv) > 1 else os.path.join(DATA, "atompar2.txt")
    dst = argv[2] if len(argv) > 2 else os.path.join(DATA, "ELDmap_POVray_head.def")
    names = atom_names(src)
    if not names:
        raise SystemExit(f"make_pov_head: no atom rows in {src}")
    text = header(names)
    tmp = dst + ".tmp"
    with open(tmp, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    os.replace(tmp, dst)
    print(f"make_pov_head: {len(names)} atom names -> {dst}")


if __name__ == "__main__":
    main(sys.argv)
