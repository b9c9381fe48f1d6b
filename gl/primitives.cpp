#include "gl/primitives.h"

#include <GL/gl.h>

namespace eld {

void DrawBox(double sx, double sy, double sz) {
    const auto x = static_cast<GLfloat>(sx), y = static_cast<GLfloat>(sy),
               z = static_cast<GLfloat>(sz);
    // Vertex order is not one winding: faces are lit through their explicit
    // normals and culling stays off.
    glBegin(GL_QUADS);
    glNormal3f(0, 0, -1);
    glVertex3f(0, 0, 0);
    glVertex3f(x, 0, 0);
    glVertex3f(x, y, 0);
    glVertex3f(0, y, 0);
    glNormal3f(0, 0, 1);
    glVertex3f(0, 0, z);
    glVertex3f(x, 0, z);
    glVertex3f(x, y, z);
    glVertex3f(0, y, z);
    glNormal3f(0, 1, 0);
    glVertex3f(0, y, 0);
    glVertex3f(x, y, 0);
    glVertex3f(x, y, z);
    glVertex3f(0, y, z);
    glNormal3f(0, -1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(x, 0, 0);
    glVertex3f(x, 0, z);
    glVertex3f(0, 0, z);
    glNormal3f(1, 0, 0);
    glVertex3f(x, 0, 0);
    glVertex3f(x, y, 0);
    glVertex3f(x, y, z);
    glVertex3f(x, 0, z);
    glNormal3f(-1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, y, 0);
    glVertex3f(0, y, z);
    glVertex3f(0, 0, z);
    glEnd();
}

void DrawCentredBox(double sx, double sy, double sz) {
    const auto hx = static_cast<GLfloat>(sx / 2), hy = static_cast<GLfloat>(sy / 2),
               hz = static_cast<GLfloat>(sz / 2);
    glTranslatef(-hx, -hy, -hz);
    DrawBox(sx, sy, sz);
    glTranslatef(hx, hy, hz);
}

void DrawCube(double edge) {
    DrawCentredBox(edge, edge, edge);
}

void DrawSphere(GLUquadric* quadric, double radius, int detail) {
    gluSphere(quadric, radius, detail, detail);
}

}  // namespace eld
