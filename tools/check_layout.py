#!/usr/bin/python3
"""Checks the include rules between the source folders, so the layers stay
apart: the core (mapdata, surface, view, export) uses neither GL nor FLTK; the
GL layer (gl, render, picking) uses no FLTK; nothing outside the application
includes its headers (app/ is included by nobody, ui/ only by app/).

    /usr/bin/python3 tools/check_layout.py [--self-test] [ROOT]

Prints one line per bad include (file:line: what) and exits 1 when there is
any. --self-test first runs the check on a scratch tree with one planted
violation of each rule (and allowed includes beside them) and fails unless
exactly the planted ones are found.
"""
import os
import re
import sys
import tempfile

CORE = ("mapdata", "surface", "view", "export")
GL_LAYER = ("gl", "render", "picking")

# What an include names: a system GL or FLTK header, or a folder of this tree.
GL_SYSTEM = re.compile(r"^(GL|OpenGL|EGL)/")
FLTK_SYSTEM = re.compile(r"^FL/", re.I)

# Folder (tests mirror the layer they test) -> what it must not include.
FORBIDDEN = {}
for f in CORE + ("tests/core", "tests/fuzz", "tests/support"):
    FORBIDDEN[f] = {"GL", "FLTK", *GL_LAYER, "app", "ui", "eldmap"}
# The fuzz harnesses drive the core, and fuzz_cli eldmap's front end.
FORBIDDEN["tests/fuzz"] = FORBIDDEN["tests/fuzz"] - {"eldmap"}
for f in GL_LAYER + ("tests/gl",):
    FORBIDDEN[f] = {"FLTK", "app", "ui", "eldmap"}
for f in ("eldmap", "bench"):
    FORBIDDEN[f] = {"FLTK", "app", "ui"}
FORBIDDEN["ui"] = {"app"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")


def kind_of(target, bracket, including_dir, root):
    """GL, FLTK or the tree's top folder an include reaches, else None."""
    if GL_SYSTEM.match(target):
        return "GL"
    if FLTK_SYSTEM.match(target):
        return "FLTK"
    if bracket == '"':
        if target.startswith("."):
            target = os.path.relpath(os.path.normpath(os.path.join(including_dir, target)), root)
        return target.split("/")[0]
    return None


def check(root):
    problems = []
    for folder, forbidden in sorted(FORBIDDEN.items()):
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for n, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind = kind_of(m.group(2), m.group(1), dirpath, root)
                        if kind in forbidden:
                            problems.append("%s:%d: %s may not include %s (%s)" %
                                            (rel, n, folder, m.group(2), kind))
    return problems


def self_test():
    planted = {  # file -> include that breaks a rule
        "mapdata/a.cpp": "<GL/gl.h>",
        "surface/b.h": '"render/scene.h"',
        "view/c.cpp": "<FL/Fl.H>",
        "export/d.cpp": '"../ui/about_window.h"',
        "gl/e.cpp": "<FL/gl.h>",
        "picking/f.cpp": '"app/app.h"',
        "eldmap/g.cpp": '"ui/control_panel.h"',
        "ui/h.cpp": '"app/app.h"',
        "tests/core/i.cpp": '"gl/primitives.h"',
    }
    allowed = {
        "mapdata/ok.cpp": ['"mapdata/scene_state.h"', "<vector>", "// #include <GL/gl.h>"],
        "gl/ok.cpp": ["<GL/gl.h>", '"mapdata/scene_state.h"'],
        "ui/ok.cpp": ["<FL/Fl.H>", '"render/frame.h"'],
        "app/ok.cpp": ['"ui/control_panel.h"', "<FL/Fl.H>"],
        "eldmap/ok.cpp": ['"render/frame.h"', "<GL/gl.h>"],
        "tests/ui/ok.cpp": ['"app/app.h"'],
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, lines in list(allowed.items()) + [(k, [v]) for k, v in planted.items()]:
            path = os.path.join(root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "a") as f:
                for line in lines:
                    f.write(line if line.startswith("//") else "#include %s\n" % line)
                    f.write("\n")
        found = {p.split(":")[0] for p in check(root)}
    if found != set(planted):
        print("check_layout: self-test: missed %s, wrongly flagged %s" %
              (sorted(set(planted) - found), sorted(found - set(planted))))
        return False
    return True


def main(argv):
    args = [a for a in argv if a != "--self-test"]
    root = args[0] if args else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if "--self-test" in argv and not self_test():
        return 1
    problems = check(root)
    for p in problems:
        print("check_layout: " + p)
    print("check_layout: %d bad includes" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
