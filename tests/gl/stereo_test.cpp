// Per-eye projections, aspect factors and the interlaced stencil mask.
#include "gl/stereo.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "gl/gl_setup.h"
#include "gl/osmesa_context.h"
#include "render/frame.h"

namespace eld {
namespace {

using Mat = std::array<double, 16>;  // column-major, as GL stores it

Mat Projection() {
    Mat r;
    glGetDoublev(GL_PROJECTION_MATRIX, r.data());
    return r;
}

void ExpectMatrixNear(const Mat& got, const Mat& want) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-5 * (1 + std::fabs(want[i]))) << i;
}

// The projection an eye must have, as GL builds it from the textbook calls:
// glScalef (a pick matrix), glFrustum, then the shift of the eye and the view.
Mat Expected(double left, double right, double shift, float sx = 1, float sy = 1) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(sx, sy, 1);
    glFrustum(left, right, -2, 2, 7.5, 37.5);
    glTranslated(-shift, 0, -22.5);
    return Projection();
}

TEST(StereoTest, OffCentreRectangleIsMovedToTheAxisAndKameraSetsEachEyesProjection) {
    // The eyes' frusta of the centred window are checked as whole matrices below.
    const StereoFrustumValues o = ComputeStereoFrustum(0, 12, 2, 14, 15, -15, 1, 22.5f, 0);
    // The top: the half height 6 at the near plane.
    const std::pair<float, float> cases[] = {{o.translateX, -6.0f},  {o.translateY, -8.0f},
                                             {o.translateZ, -23.5f}, {o.clipNear, 8.5f},
                                             {o.clipFar, 38.5f},     {o.top, 6 * 8.5f / 22.5f}};
    for (auto [got, want] : cases) EXPECT_FLOAT_EQ(got, want);

    OsMesaContext gl(64, 64);
    SceneState s;
    // The central eye, then the right one shifted by +0.31 and the left by -0.31.
    // Seen by either eye, a point of the zero-parallax plane lies where the
    // central eye sees it; a point 10 nearer is left of it for the right eye.
    double x_far[3], x_near[3];
    for (int e = 0; e < 3; ++e) {
        const double shift = 0.31 * (e == 0 ? 0 : e == 1 ? 1 : -1);
        Kamera(s, std::array{Eye::CentralEye, Eye::RightEye, Eye::LeftEye}[e]);
        const Mat m = Projection();
        ExpectMatrixNear(m, Expected(-(6 + shift) / 3, (6 - shift) / 3, shift));
        // Normalised device x of (3, 1, z): m[0] x + m[8] z + m[12] over -(z - 22.5).
        x_far[e] = (m[0] * 3 + m[12]) / 22.5;
        x_near[e] = (m[0] * 3 + m[8] * 10 + m[12]) / 12.5;
    }
    EXPECT_NEAR(x_far[0], 0.5, 1e-6);
    EXPECT_NEAR(x_far[1], 0.5, 1e-6);
    EXPECT_NEAR(x_far[2], 0.5, 1e-6);
    EXPECT_LT(x_near[1], x_near[0] - 0.01);
    EXPECT_NEAR(x_near[1] + x_near[2], 2 * x_near[0], 1e-6);

    // The picking eye multiplies onto the current matrix and selects none itself.
    glLoadIdentity();
    glScalef(2, 3, 1);
    glMatrixMode(GL_MODELVIEW);
    glMatrixMode(GL_PROJECTION);
    Kamera(s, Eye::CentralEyePicking);
    const Mat picking = Projection();
    ExpectMatrixNear(picking, Expected(-2, 2, 0, 2, 3));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(StereoTest, ResizeMarksTheEvenRowsOverAStaleMaskInInterlacedModeAndSetsAspectFactors) {
    SceneState s;
    s.program.DisplayMode = StereoMode::StereoInterlaced;
    for (const auto& [w, h] :
         {std::pair{7, 9}, std::pair{33, 10}, std::pair{5, 1}, std::pair{640, 481}}) {
        OsMesaContext gl(w, h);
        glClearStencil(1);  // a stale, wrong mask
        glClear(GL_STENCIL_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        ResizeFrame(s, w, h);
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // Stencil 1 exactly on the even rows, across the full width.
        const std::vector<std::uint8_t> st = gl.Stencil();
        for (int i = 0; i < w * h; ++i) ASSERT_EQ(st[i], 1 - i / w % 2) << i % w << ", " << i / w;
        // Rows 0, 2, ... up to h: one line beyond an even window's top row.
        EXPECT_EQ(InterlaceLineRows(h).size(), h / 2 + 1u);
        EXPECT_EQ(InterlaceLineRows(h).back(), h - h % 2);
        EXPECT_TRUE(glIsEnabled(GL_STENCIL_TEST));
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // Other modes leave the stencil buffer alone.
    OsMesaContext gl(40, 31);
    s.program.DisplayMode = StereoMode::NoStereo;
    glClearStencil(1);
    glClear(GL_STENCIL_BUFFER_BIT);
    ResizeFrame(s, 40, 31);
    EXPECT_EQ(gl.Stencil()[40 * 3], 1);

    // The smaller side spans 12 units; a minimised window is 1 x 1 (no
    // division by zero).
    const int cases[][4] = {{200, 100, 2, 1}, {100, 300, 1, 3}, {80, 80, 1, 1}, {0, 50, 1, 1}};
    for (auto [w, h, ax, ay] : cases) {
        ResizeFrame(s, w, h);
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        EXPECT_EQ((std::array{vp[2], vp[3]}), (w ? std::array{w, h} : std::array{1, 1})) << w;
        EXPECT_EQ((std::array{s.view.AspectX, s.view.AspectY}), (std::array{float(ax), float(ay)}))
            << w;
    }
    // The wider window shows 24 x 12 units at the zero-parallax plane, 8 x 4 at the near one.
    ResizeFrame(s, 200, 100);
    Kamera(s, Eye::CentralEye);
    const Mat wide = Projection();
    ExpectMatrixNear(wide, Expected(-4, 4, 0));
}

TEST(GlSetupTest, PixelFormatsTextsAndDefaultState) {
    for (auto [mode, stencil, stereo] : {std::tuple{StereoMode::NoStereo, false, false},
                                         {StereoMode::StereoHW, false, true},
                                         {StereoMode::StereoInterlaced, true, false}}) {
        const auto f = PixelFormatFor(mode);
        ASSERT_TRUE(f) << Text(mode);
        EXPECT_TRUE(f->rgb && f->double_buffer && f->depth) << Text(mode);
        EXPECT_EQ(std::pair(f->stencil, f->stereo), std::pair(stencil, stereo)) << Text(mode);
        EXPECT_GE(f->stencil_bits, stencil ? 1 : 0) << Text(mode);
    }
    EXPECT_FALSE(PixelFormatFor(StereoMode::Nothing));

    EXPECT_EQ(FatalErrorText(kNoPixelFormatMessage),
              "Fatal Error: Could not retrieve pixel format!");
    EXPECT_EQ(FatalErrorTitle(), "Fatal Error In eldview");
    EXPECT_EQ(GlErrorWarning(1282), "Warning: OpenGL error nuber:1282");

    // The default state.
    OsMesaContext gl(8, 8);
    glClearColor(1, 1, 1, 1);
    InitDefaultState();
    for (GLenum on : {GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LIGHTING, GL_LIGHT0})
        EXPECT_TRUE(glIsEnabled(on)) << on;
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat v[4];
    glGetFloatv(GL_DEPTH_FUNC, v);
    EXPECT_EQ(v[0], GL_LESS);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_EQ(v[0], 50.0f);
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);
    EXPECT_EQ(std::pair(v[2], v[3]), std::pair(100.0f, 0.0f));
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
    EXPECT_EQ(std::pair(v[0], v[3]), std::pair(0.0f, 0.0f));
}

}  // namespace
}  // namespace eld
