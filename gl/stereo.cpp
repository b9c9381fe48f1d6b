#include "gl/stereo.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace eld {

StereoFrustumValues ComputeStereoFrustum(float xmin, float xmax, float ymin, float ymax,
                                         float znear, float zfar, float zzps, float dist,
                                         float eye) {
    const float dx = xmax - xmin;
    const float dy = ymax - ymin;
    // Halvings in double, kept as float.
    const float xmid = static_cast<float>((static_cast<double>(xmax) + xmin) / 2.0);
    const float ymid = static_cast<float>((static_cast<double>(ymax) + ymin) / 2.0);
    StereoFrustumValues v;
    v.clipNear = dist + zzps - znear;
    v.clipFar = dist + zzps - zfar;
    const float nOverD = v.clipNear / dist;
    v.top = static_cast<float>(nOverD * static_cast<double>(dy) / 2.0);
    v.bottom = -v.top;
    // Shifting the window by -eye at the zero-parallax plane keeps that plane
    // the same for both eyes (off-axis frusta, no toe-in).
    const double halfX = static_cast<double>(dx) / 2.0;
    v.right = static_cast<float>(nOverD * (halfX - eye));
    v.left = static_cast<float>(nOverD * (-halfX - eye));
    v.translateX = -xmid - eye;
    v.translateY = -ymid;
    v.translateZ = -zzps - dist;
    return v;
}

static void MultiplyFrustum(const StereoFrustumValues& v) {
    glFrustum(v.left, v.right, v.bottom, v.top, v.clipNear, v.clipFar);
    glTranslatef(v.translateX, v.translateY, v.translateZ);
}

void StereoFrustum(float xmin, float xmax, float ymin, float ymax, float znear, float zfar,
                   float zzps, float dist, float eye) {
    const StereoFrustumValues v =
        ComputeStereoFrustum(xmin, xmax, ymin, ymax, znear, zfar, zzps, dist, eye);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    MultiplyFrustum(v);
}

void StereoFrustumMultiply(float xmin, float xmax, float ymin, float ymax, float znear, float zfar,
                           float zzps, float dist, float eye) {
    MultiplyFrustum(ComputeStereoFrustum(xmin, xmax, ymin, ymax, znear, zfar, zzps, dist, eye));
}

std::vector<int> InterlaceLineRows(int H) {
    std::vector<int> rows;
    for (int i = 0; i <= H; i += 2) rows.push_back(i);
    return rows;
}

void BuildInterlaceStencil(int W, int H) {
    glViewport(0, 0, W, H);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, W - 0.32, 0.0, H - 0.32);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glEnable(GL_STENCIL_TEST);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    glDisable(GL_DEPTH_TEST);
    glStencilFunc(GL_ALWAYS, 1, 1);
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    glLineWidth(1.0f);
    // Each line runs half a unit above its row's lower edge, through the row's
    // centre: a line exactly on the edge between two rows may be rasterised
    // into the lower one (Mesa does so for row 0, which would then be lost).
    for (int i : InterlaceLineRows(H)) {
        const double y = i + 0.5;
        glBegin(GL_LINES);
        glVertex2d(0.0, y);
        glVertex2d(W, y);
        glEnd();
    }
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glFlush();
}

}  // namespace eld
