#include "view/view_control.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "mapdata/geometry.h"
#include "view/trackball.h"

namespace eld {

void ResetViewFields(SceneState& s) {
    s.view.AspectX = s.view.AspectY = 1.0f;
    s.view.RotateDragActive = s.view.SpinActive = s.view.ZoomDragActive = kFalse;
    s.view.ViewScale = 1.0f;
    for (float& t : s.view.ViewTranslation) t = 0.0f;
    for (int i = 0; i < 4; ++i) s.view.ViewQuaternion[i] = s.view.SpinQuaternion[i] = 0.0f;
    Trackball(s.view.ViewQuaternion, 0.0f, 0.0f, 0.0f, 0.0f);
}

void SetView(SceneState& s, Axis Direction) {
    s.view.RotateDragActive = s.view.ZoomDragActive = s.view.SpinActive = kFalse;
    const float h = static_cast<float>(std::sqrt(0.5));
    float* q = s.view.ViewQuaternion;
    switch (Direction) {
        case Axis::X:
            q[0] = 0, q[1] = h, q[2] = h, q[3] = 0;
            break;
        case Axis::Y:
            q[0] = h, q[1] = 0, q[2] = h, q[3] = 0;
            break;
        case Axis::Z:
            q[0] = h, q[1] = h, q[2] = 0, q[3] = 0;
            break;
    }
    for (float& t : s.view.ViewTranslation) t = 0.0f;
}

void SpinStep(SceneState& s) {
    AddQuaternions(s.view.SpinQuaternion, s.view.ViewQuaternion, s.view.ViewQuaternion);
}

// 2*x is a 16-bit product, as the drag positions are stored in 16 bits.
float NormalisedTrackballX(int x, int W) {
    const auto twice = static_cast<std::int16_t>(2 * x);
    return static_cast<float>(static_cast<double>(twice - W) / W);
}

float NormalisedTrackballY(int y, int H) {
    const auto twice = static_cast<std::int16_t>(2 * y);
    return static_cast<float>(static_cast<double>(H - twice) / H);
}

static std::int16_t RoundPosition(float v) {
    // Nearest integer, halves to even.
    return static_cast<std::int16_t>(std::nearbyint(v));
}

void BeginDrag(SceneState& s, float X, float Y, bool shiftOnly) {
    s.view.SpinActive = kFalse;
    s.view.RotateDragActive = kTrue;
    s.view.DragLastX = RoundPosition(X);
    s.view.DragLastY = RoundPosition(Y);
    s.view.ZoomDragActive = shiftOnly ? kTrue : kFalse;
}

void EndDrag(SceneState& s) {
    s.view.RotateDragActive = s.view.ZoomDragActive = kFalse;
}

bool DragMove(SceneState& s, float X, float Y, int W, int H) {
    if (W == 0) W = 1;
    if (H == 0) H = 1;
    if (On(s.view.ZoomDragActive)) {
        ZoomByDrag(s, s.view.DragLastY - static_cast<double>(Y), H);
        s.view.DragLastX = RoundPosition(X);
        s.view.DragLastY = RoundPosition(Y);
        return true;
    }
    if (On(s.view.RotateDragActive)) {
        const std::int16_t x = RoundPosition(X), y = RoundPosition(Y);
        // The current position enters the trackball unrounded, as the event
        // delivered it.
        const float p2x = static_cast<float>((2.0 * X - W) / W);
        const float p2y = static_cast<float>((H - 2.0 * Y) / H);
        Trackball(s.view.SpinQuaternion, NormalisedTrackballX(s.view.DragLastX, W),
                  NormalisedTrackballY(s.view.DragLastY, H), p2x, p2y);
        s.view.DragLastX = x;
        s.view.DragLastY = y;
        s.view.SpinActive = kTrue;
    }
    return false;
}

void PanView(SceneState& s, PanKey key) {
    float m[16];
    float n[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    BuildRotationMatrix(m, s.view.ViewQuaternion);
    InvertRotationPart(m, n);
    s.view.SpinActive = kFalse;
    // Elements first, first + 4, first + 8 of N give the step's direction.
    int first = 0;
    double sign = 1.0;
    switch (key) {
        case PanKey::Up:
            first = 1, sign = -1.0;
            break;
        case PanKey::Down:
            first = 1, sign = 1.0;
            break;
        case PanKey::Right:
            first = 0, sign = -1.0;
            break;
        case PanKey::Left:
            first = 0, sign = 1.0;
            break;
        case PanKey::Near:
            first = 2, sign = 1.0;
            break;
        case PanKey::Far:
            first = 2, sign = -1.0;
            break;
    }
    for (int i = 0; i < 3; ++i) {
        s.view.ViewTranslation[i] =
            static_cast<float>(s.view.ViewTranslation[i] + sign * kPanStep * n[first + 4 * i]);
    }
}

void CentreView(SceneState& s) {
    for (float& t : s.view.ViewTranslation) t = 0.0f;
    s.view.ViewScale = 1.0f;
}

void ZoomByDrag(SceneState& s, double up, int H) {
    if (H == 0) H = 1;
    s.view.ViewScale = static_cast<float>(s.view.ViewScale * (up / H + 1.0));
}

void WheelZoom(SceneState& s, int dy, int H) {
    // One notch at a time, as that many short drags would do.
    for (int i = 0; i < std::abs(dy); ++i)
        ZoomByDrag(s, (dy < 0 ? 1.0 : -1.0) * kWheelNotchHeight * H, H);
}

void PanByPixels(SceneState& s, float dx, float dy, int W, int H) {
    if (W < 1) W = 1;
    if (H < 1) H = 1;
    // Units per pixel in the zero-parallax plane.
    const double unit = 2.0 * kHalfViewSpan / std::min(W, H);
    const double vx = dx * unit, vy = -dy * unit;
    // The model-view applies M to the translation: move it by M^-1 v, and the
    // inverse of a rotation is its transpose (m is in OpenGL's column order).
    float m[16];
    BuildRotationMatrix(m, s.view.ViewQuaternion);
    for (int i = 0; i < 3; ++i)
        s.view.ViewTranslation[i] =
            static_cast<float>(s.view.ViewTranslation[i] + m[4 * i] * vx + m[4 * i + 1] * vy);
}

XYZ CentreOfView(const SceneView& v) {
    const float s = v.ViewScale == 0.0f ? 1.0f : v.ViewScale;
    return XYZ{-v.ViewTranslation[0] / s, -v.ViewTranslation[1] / s, -v.ViewTranslation[2] / s};
}

void CentreViewOn(SceneState& s, const float p[3]) {
    s.view.SpinActive = kFalse;
    for (int i = 0; i < 3; ++i) s.view.ViewTranslation[i] = -s.view.ViewScale * p[i];
}

void CentreRegionOnView(SceneState& s) {
    const XYZ c = CentreOfView(s.view);
    s.surfaces.RegionCentre[0] = c.x;
    s.surfaces.RegionCentre[1] = c.y;
    s.surfaces.RegionCentre[2] = c.z;
}

bool RegionLagsView(const SceneState& s) {
    if (!(s.switches.MapRadius > 0)) return false;
    const XYZ c = CentreOfView(s.view);
    const float* r = s.surfaces.RegionCentre;
    return c.x != r[0] || c.y != r[1] || c.z != r[2];
}

}  // namespace eld
