// Trackball arithmetic, axis views, drag steps and pan keys.
#include "view/trackball.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <gemmi/math.hpp>
#include <vector>

#include "mapdata/geometry.h"
#include "tests/core/temp_folder.h"
#include "view/view_control.h"

namespace eld {
namespace {

using testing::ExpectNear;

// Rotates v by the matrix as GL would apply it (column-major storage).
void Apply(const float m[16], const float v[3], float out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * v[0] + m[4 + r] * v[1] + m[8 + r] * v[2];
}

// v turned by the rotation matrix of quaternion q.
std::array<float, 3> Turned(const float q[4], std::array<float, 3> v) {
    float m[16];
    BuildRotationMatrix(m, q);
    std::array<float, 3> out;
    Apply(m, v.data(), out.data());
    return out;
}

const float h = static_cast<float>(std::sqrt(0.5));

TEST(TrackballTest, SphereInsideHyperbolaOutsideDragFromCentreEqualPointsAndLongDrags) {
    // r = 0.8: on the sphere sqrt(r^2 - d^2) inside d = r/sqrt(2), (r^2 / 2) / d outside.
    const double cases[][3] = {{0.0, 0.0, 0.8},
                               {0.3, 0.0, std::sqrt(0.55)},
                               {1.0, 0.0, 0.32},
                               {0.0, -2.0, 0.16},
                               {0.59, 0.0, 0.32 / 0.59}};
    for (const auto& c : cases)
        EXPECT_NEAR(TrackballProjectToSphere(0.8f, float(c[0]), float(c[1])), c[2], 1e-6) << c[0];
    const float edge = 0.8f * 0.70710678f;  // the branches meet without a jump
    EXPECT_NEAR(TrackballProjectToSphere(0.8f, edge * 0.9999f, 0.0f),
                TrackballProjectToSphere(0.8f, edge * 1.0001f, 0.0f), 1e-3);
    // Equal points give the identity; from the centre to the right edge.
    float q[4] = {5, 5, 5, 5};
    Trackball(q, 0.25f, -0.5f, 0.25f, -0.5f);
    EXPECT_EQ(std::vector<float>(q, q + 4), (std::vector<float>{0, 0, 0, 1}));
    Trackball(q, 0.0f, 0.0f, 1.0f, 0.0f);
    // chord |(0,0,0.8) - (1,0,0.32)| = sqrt(1.2304); t = chord / 1.6 = 0.693;
    // axis (0, -0.8, 0), sin(phi/2) = t.
    const double t = std::sqrt(1.2304) / 1.6;
    ExpectNear(q, {0, -t, 0, std::sqrt(1 - t * t)}, 1e-6);
    // Both points on the sphere: the point under the first lands under the second.
    Trackball(q, 0.1f, 0.2f, -0.2f, 0.3f);
    ExpectNear(Turned(q, {0.1f, 0.2f, std::sqrt(0.59f)}), {-0.2, 0.3, std::sqrt(0.51)}, 1e-6);
    // A long drag is clamped to a half turn.
    for (float x : {1.0f, 0.85f}) {  // chords 2 and 1.7, both above 1.6
        Trackball(q, -x, 0.0f, x, 0.0f);
        EXPECT_NEAR(q[3], 0.0, 1e-6) << x;  // cos(pi/2)
        EXPECT_NEAR(std::fabs(q[1]), 1.0, 1e-6) << x;
    }
    EXPECT_EQ(ArcSin(1.0f), 3.14159265358979 / 2);
    EXPECT_NEAR(ArcSin(0.5f), std::asin(0.5), 1e-12);
}

TEST(TrackballTest, AddQuaternionsComposesAndNormalises) {
    // Quarter turns about x and y; two turns about oblique axes.
    const float pairs[][2][4] = {{{h, 0, 0, h}, {0, h, 0, h}},
                                 {{0.1f, 0.2f, 0.3f, 0.927362f}, {-0.5f, 0.5f, 0.5f, 0.5f}}};
    for (const auto& [q1, q2] : pairs) {
        float d[4];
        AddQuaternions(q1, q2, d);  // q2 first, then q1
        // Same as applying the two matrices in turn.
        const auto b = Turned(q1, Turned(q2, {0.3f, -1.2f, 2.0f}));
        ExpectNear(Turned(d, {0.3f, -1.2f, 2.0f}), {b[0], b[1], b[2]}, 1e-5);
        EXPECT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2] + d[3] * d[3], 1.0, 1e-6);
    }

    // Unnormalised input comes out with unit length; dest may be q2.
    float q2[4] = {0, 0, 2, 2};
    const float id[4] = {0, 0, 0, 1};
    AddQuaternions(id, q2, q2);
    ExpectNear(q2, {0, 0, h, h}, 1e-6);
}

TEST(TrackballTest, MatrixTurnsVectorsByTheInverseQuaternion) {
    // GL reads the storage transposed, so the matrix applies the conjugate
    // turn: v' = v + 2w(u x v) + 2u x (u x v) with u = -(q0, q1, q2).
    const float quats[][4] = {
        {0, 0, 0, 1}, {0, 0, h, h}, {0.1f, 0.2f, 0.3f, 0.927362f}, {-0.5f, 0.5f, 0.5f, 0.5f}};
    const float vs[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.3f, -1.2f, 2.0f}};
    for (const auto& q : quats) {
        float m[16], out[3];
        BuildRotationMatrix(m, q);
        const gemmi::Vec3 u(-q[0], -q[1], -q[2]);
        for (const auto& v : vs) {
            const gemmi::Vec3 c1 = u.cross(gemmi::Vec3(v[0], v[1], v[2])), c2 = u.cross(c1);
            Apply(m, v, out);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(out[i], v[i] + 2 * q[3] * c1.at(i) + 2 * c2.at(i), 2e-6)
                    << q[2] << " " << i;
        }
        for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_EQ(m[i], 0.0f) << i;
        EXPECT_EQ(m[15], 1.0f);
    }
}

// The drag and spin switches as rotate, zoom, spin: 1 for kTrue, 0 for kFalse.
std::string Flags(const SceneState& s) {
    std::string f;
    for (Switch v : {s.view.RotateDragActive, s.view.ZoomDragActive, s.view.SpinActive})
        f += v == kTrue ? '1' : v == kFalse ? '0' : '?';
    return f;
}

TEST(ViewControlTest, SetViewKeepsTheScaleResetAndSpinStep) {
    SceneState s;
    s.view.ViewScale = 2.5f;
    s.view.ViewTranslation[0] = 4;
    s.view.SpinActive = s.view.RotateDragActive = s.view.ZoomDragActive = kTrue;
    SetView(s, Axis::X);
    ExpectNear(s.view.ViewQuaternion, {0, h, h, 0}, 0);
    EXPECT_EQ(s.view.ViewScale, 2.5f);
    EXPECT_EQ(s.view.ViewTranslation[0], 0.0f);
    EXPECT_EQ(Flags(s), "000");
    // A half turn about (0, 1, 1): y and z swap, x is reversed.
    ExpectNear(Turned(s.view.ViewQuaternion, {1, 0, 0}), {-1, 0, 0}, 1e-6);
    ExpectNear(Turned(s.view.ViewQuaternion, {0, 1, 0}), {0, 0, 1}, 1e-6);
    SetView(s, Axis::Y);
    ExpectNear(s.view.ViewQuaternion, {h, 0, h, 0}, 0);
    SetView(s, Axis::Z);
    ExpectNear(s.view.ViewQuaternion, {h, h, 0, 0}, 0);
    // Axis names are exact and case-sensitive where a text names an axis.
    EXPECT_EQ(AxisFromText("Y"), Axis::Y);
    EXPECT_FALSE(AxisFromText("x"));
    // A reset gives the identity and scale 1 and stops the spin.
    s.view.SpinQuaternion[1] = 1;
    ResetViewFields(s);
    ExpectNear(s.view.ViewQuaternion, {0, 0, 0, 1});
    EXPECT_EQ(s.view.SpinQuaternion[1], 0.0f);
    EXPECT_EQ(s.view.ViewScale, 1.0f);
    // Two spin steps of a quarter turn about z make a half turn.
    s.view.SpinQuaternion[2] = s.view.SpinQuaternion[3] = h;
    SpinStep(s);
    SpinStep(s);
    EXPECT_NEAR(std::fabs(s.view.ViewQuaternion[2]), 1.0, 1e-6);
    EXPECT_NEAR(s.view.ViewQuaternion[3], 0.0, 1e-6);
}

TEST(ViewControlTest, RotateDragSpinsFromTheReleaseOnAndAPressAloneDoesNot) {
    SceneState s;
    BeginDrag(s, 100.0f, 50.0f, false);
    EXPECT_EQ(Flags(s), "100");
    EXPECT_FALSE(DragMove(s, 200.0f, 50.0f, 200, 100));  // the spin step repaints
    EXPECT_EQ(Flags(s), "101");
    ExpectNear(s.view.SpinQuaternion, {0, -0.693, 0, 0.721}, 1e-3);
    EXPECT_EQ(s.view.DragLastX, 200);
    EXPECT_EQ(s.view.ViewQuaternion[3], 1.0f);  // the view itself only turns in the spin step
    EndDrag(s);
    EXPECT_EQ(Flags(s), "001");       // release while moving keeps spinning
    s.view.RotateDragActive = kTrue;  // a minimised window counts as one pixel
    DragMove(s, 0, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(s.view.SpinQuaternion[0]) && std::isfinite(s.view.SpinQuaternion[1]));
    BeginDrag(s, 30.4f, 20.6f, false);
    EXPECT_EQ(Flags(s), "100");
    EXPECT_EQ(std::pair(s.view.DragLastX, s.view.DragLastY),
              (std::pair<std::int16_t, std::int16_t>(30, 21)));
    EndDrag(s);
    s.view.SpinQuaternion[3] = 0;
    EXPECT_FALSE(DragMove(s, 50, 50, 100, 100));  // no drag: nothing changes
    EXPECT_EQ(Flags(s), "000");
    EXPECT_EQ(s.view.SpinQuaternion[3], 0.0f);
}

TEST(ViewControlTest, ZoomDragIsUnclampedAndAWheelNotchIsATenthOfTheHeight) {
    SceneState s;
    s.view.ViewScale = 2.0f;
    BeginDrag(s, 50, 100, true);
    EXPECT_EQ(Flags(s), "110");
    EXPECT_TRUE(DragMove(s, 50, 75, 200, 100));  // up by a quarter: x1.25
    EXPECT_FLOAT_EQ(s.view.ViewScale, 2.5f);
    EXPECT_EQ(Flags(s), "110");
    EXPECT_TRUE(DragMove(s, 50, 175, 200, 100));  // down by the full height: 0
    EXPECT_EQ(s.view.ViewScale, 0.0f);
    s.view.ViewScale = 1.0f;
    EXPECT_TRUE(DragMove(s, 50, 375, 200, 100));  // farther: mirrored
    EXPECT_FLOAT_EQ(s.view.ViewScale, -1.0f);
    EXPECT_FLOAT_EQ(NormalisedTrackballX(0, 200), -1.0f);
    EXPECT_FLOAT_EQ(NormalisedTrackballX(150, 200), 0.5f);
    EXPECT_FLOAT_EQ(NormalisedTrackballY(0, 100), 1.0f);  // top of the window is +1
    EXPECT_FLOAT_EQ(NormalisedTrackballY(75, 100), -0.5f);
    // A wheel notch zooms as a shift-drag over a tenth of the height.
    for (int dy : {-1, 1, -3, 2}) {
        SceneState wheel, drag;
        wheel.view.ViewScale = drag.view.ViewScale = 1.5f;
        WheelZoom(wheel, dy, 500);
        BeginDrag(drag, 10, 300, true);
        for (int i = 1; i <= std::abs(dy); ++i)  // notch by notch, 50 pixels each
            DragMove(drag, 10, 300 + 50.0f * i * (dy < 0 ? -1 : 1), 300, 500);
        EXPECT_FLOAT_EQ(wheel.view.ViewScale, drag.view.ViewScale) << dy;
        EXPECT_EQ(wheel.view.ViewScale > 1.5f, dy < 0) << "away from the user enlarges";
    }
}

TEST(ViewControlTest, PanKeysStopTheSpinAndStepThroughTheInverseRotation) {
    const std::pair<PanKey, std::array<float, 3>> steps[] = {
        {PanKey::Up, {0, -0.3f, 0}},  {PanKey::Down, {0, 0.3f, 0}}, {PanKey::Right, {-0.3f, 0, 0}},
        {PanKey::Left, {0.3f, 0, 0}}, {PanKey::Near, {0, 0, 0.3f}}, {PanKey::Far, {0, 0, -0.3f}}};
    for (const auto& [key, step] : steps) {
        SceneState s;
        s.view.SpinActive = kTrue;
        s.view.ViewTranslation[0] = 1;
        PanView(s, key);
        EXPECT_EQ(s.view.SpinActive, kFalse);
        for (int a = 0; a < 3; ++a)
            EXPECT_FLOAT_EQ(s.view.ViewTranslation[a], (a == 0 ? 1 : 0) + step[a]) << int(key);
    }
    SceneState s;
    s.view.ViewScale = 4;
    s.view.ViewTranslation[0] = 1;
    CentreView(s);
    ExpectNear(std::array{s.view.ViewScale, s.view.ViewTranslation[0]}, {1, 0});
    // The step is taken through the inverse rotation. Looking along x (a half
    // turn, its own inverse), the Up arrow moves the scene straight down the
    // screen.
    SetView(s, Axis::X);
    PanView(s, PanKey::Up);
    const float* t = s.view.ViewTranslation;
    ExpectNear(Turned(s.view.ViewQuaternion, {t[0], t[1], t[2]}), {0, -0.3, 0}, 1e-6);

    // A quarter turn about z: the step is taken from elements 1, 5, 9 of the
    // inverse, which hold (1, 0, 0) here.
    CentreView(s);
    const float quarter[4] = {0, 0, h, h};
    std::copy(quarter, quarter + 4, s.view.ViewQuaternion);
    PanView(s, PanKey::Up);
    ExpectNear(t, {-0.3, 0, 0}, 1e-6);
    PanView(s, PanKey::Right);  // elements 0, 4, 8: (0, -1, 0)
    ExpectNear(t, {-0.3, 0.3, 0}, 1e-6);
}

TEST(ViewControlTest, MiddleDragMovesTheSceneWithThePointer) {
    // Whatever the orientation, the view-space shift of the translation (a
    // point of the zero-parallax plane) is the pointer's, 12 units over the
    // smaller window side, y up; a minimised window counts as one pixel.
    const float n = 1.0f / std::sqrt(1 + 4 + 9 + 16.0f);
    const float turns[][4] = {{0, 0, 0, 1}, {0, h, h, 0}, {0, 0, h, h}, {n, 2 * n, 3 * n, 4 * n}};
    for (const auto& q : turns) {
        for (auto [W, H] : {std::pair{800, 400}, std::pair{300, 600}, std::pair{0, 0}}) {
            SceneState s;
            for (int i = 0; i < 4; ++i) s.view.ViewQuaternion[i] = q[i];
            s.view.ViewTranslation[0] = 1.0f;
            const float* t = s.view.ViewTranslation;
            const auto before = Turned(q, {t[0], t[1], t[2]});
            PanByPixels(s, 40.0f, -25.0f, W, H);
            const auto after = Turned(q, {t[0], t[1], t[2]});
            const double unit = 12.0 / std::max(1, std::min(W, H));
            SCOPED_TRACE(::testing::Message() << q[0] << " " << W);
            ExpectNear(after, {before[0] + 40 * unit, before[1] + 25 * unit, before[2]},
                       1e-5 * std::max(1.0, 40 * unit));
        }
    }
}

}  // namespace
}  // namespace eld
