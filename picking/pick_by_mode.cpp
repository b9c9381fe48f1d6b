// The right click's picker by mode, with the density searched along the line
// of sight when the selection rule finds nothing usable.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "picking/picking.h"
#include "render/frame.h"

namespace eld {

namespace {

// The central eye's matrices as the selection pass sets them, without the
// pick region.
struct EyeMatrices {
    GLdouble model[16], projection[16];
    GLint viewport[4];
};

EyeMatrices CentralEye(const SceneState& s) {
    EyeMatrices m;
    glGetIntegerv(GL_VIEWPORT, m.viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    Kamera(s, Eye::CentralEyePicking);
    glGetDoublev(GL_PROJECTION_MATRIX, m.projection);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    recalcModelView(s);
    glGetDoublev(GL_MODELVIEW_MATRIX, m.model);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return m;
}

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

void SetPicked(SceneState& s, const Vec3& p) {
    for (int a = 0; a < 3; ++a) s.peaks.PickedPoint[a] = static_cast<float>(p[a]);
}

PickResult FromDensity(SceneState& s, const std::optional<Vec3>& p, std::string nothing) {
    PickResult r;
    if (p) {
        SetPicked(s, *p);
        r.found = r.fromDensity = true;
    } else {
        r.nothing = std::move(nothing);
    }
    return r;
}

PickResult PickSurfaceOrDensity(SceneState& s, Dialogs& dialogs, float X, float Y) {
    const int layer = PickingLayer(s);
    if (layer == 0) {
        PickOnSurface(s, dialogs, X, Y);  // its message: not exactly one layer
        return {};
    }
    if (PickOnSurface(s, dialogs, X, Y)) return {true, false, {}};
    const double limit = s.layers.LayerLimit[layer];
    const PickRay ray = PickRayAt(s, X, Y);
    return FromDensity(s, FindPeakAlongRay(s, ray.origin, ray.direction, limit),
                       "nothing picked: no density above the limit " + Number(limit) +
                           " of layer " + std::to_string(layer) + " under the pointer");
}

PickResult PickSectionOrDensity(SceneState& s, float X, float Y) {
    const SectionRectangle r = SectionPickRectangle(s);
    if (PickOnSection(s, X, Y, r.x_low, r.x_high, r.y_low, r.y_high, r.z)) return {true, false, {}};
    // Where the line of sight meets the section's plane.
    const PickRay ray = PickRayAt(s, X, Y);
    const double t = (r.z - ray.origin[2]) / ray.direction[2];
    const std::string outside = "nothing picked: the pointer is not over the contour section";
    if (!(t >= 0 && t <= 1)) return FromDensity(s, std::nullopt, outside);
    const Vec3 p{ray.origin[0] + t * ray.direction[0], ray.origin[1] + t * ray.direction[1], r.z};
    const std::optional<double> v = DensityAt(s, p);
    if (!v) return FromDensity(s, std::nullopt, outside);
    // The innermost contour around the pointer: the highest limit below the value.
    std::optional<double> limit;
    for (int L = 1; L <= kLayers; ++L) {
        const double l = s.layers.LayerLimit[L];
        if (*v > l && (!limit || l > *limit)) limit = l;
    }
    const std::string below = "nothing picked: the density under the pointer (" + Number(*v) +
                              ") is below every contour level";
    if (!limit) return FromDensity(s, std::nullopt, below);
    return FromDensity(s, FindPeakInSection(s, s.surfaces.ContourLayer, p[0], p[1], *limit),
                       below);
}

}  // namespace

PickRay PickRayAt(const SceneState& s, float X, float Y) {
    const EyeMatrices m = CentralEye(s);
    const double wx = X, wy = m.viewport[3] - Y;
    GLdouble n[3] = {0, 0, 0}, f[3] = {0, 0, 0};
    gluUnProject(wx, wy, 0.0, m.model, m.projection, m.viewport, &n[0], &n[1], &n[2]);
    gluUnProject(wx, wy, 1.0, m.model, m.projection, m.viewport, &f[0], &f[1], &f[2]);
    return {{n[0], n[1], n[2]}, {f[0] - n[0], f[1] - n[1], f[2] - n[2]}};
}

std::array<float, 2> SceneToWindow(const SceneState& s, const float p[3]) {
    const EyeMatrices m = CentralEye(s);
    GLdouble w[3] = {0, 0, 0};
    gluProject(p[0], p[1], p[2], m.model, m.projection, m.viewport, &w[0], &w[1], &w[2]);
    return {static_cast<float>(w[0]), static_cast<float>(m.viewport[3] - w[1])};
}

PickResult PickByMode(SceneState& s, Dialogs& dialogs, float X, float Y) {
    if (s.switches.PickingMode == PickMode::Section2D) return PickSectionOrDensity(s, X, Y);
    return PickSurfaceOrDensity(s, dialogs, X, Y);
}

}  // namespace eld
