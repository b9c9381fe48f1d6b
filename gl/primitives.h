// Small immediate-mode shapes for the scene decorations. They leave the
// model-view matrix as they found it and change only the current normal.
#pragma once

#include <GL/glu.h>

namespace eld {

// Box from (0, 0, 0) to (sx, sy, sz): six GL_QUADS faces, each with its
// outward axis normal. A negative size mirrors the box; its normals are not
// flipped.
void DrawBox(double sx, double sy, double sz);
// Box of size (sx, sy, sz) centred on the current origin; the matrix is put
// back by the opposite translation (no push/pop, so it works at any stack depth).
void DrawCentredBox(double sx, double sy, double sz);
void DrawCube(double edge);
// gluSphere with `detail` slices and `detail` stacks; draw style, normals and
// orientation are whatever the caller set on the quadric.
void DrawSphere(GLUquadric* quadric, double radius, int detail);

}  // namespace eld
