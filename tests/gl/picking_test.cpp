// Selection-mode picking, drawn offscreen: a mouse position over a known
// section or a known blob must give the expected point.
#include "picking/picking.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "gl/osmesa_context.h"
#include "render/frame.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"
#include "tests/support/scripted_dialogs.h"

namespace eld {
namespace {

// A square window: the plane z = 0 shows x and y from -6 to 6.
constexpr int kSize = 400;

class PickingTest : public ::testing::Test {
  protected:
    PickingTest() : gl_(kSize, kSize) {
        ResizeFrame(s_, kSize, kSize);
        s_.program.DisplayMode = StereoMode::NoStereo;
    }
    // OSMesa may crash when a context is destroyed with drawing still queued.
    ~PickingTest() override { glFinish(); }

    // Mouse position (window pixels, Y down) over scene point (x, y, 0) with
    // the identity view.
    static float MouseX(float x) { return (x + 6.0f) / 12.0f * kSize; }
    static float MouseY(float y) { return kSize - (y + 6.0f) / 12.0f * kSize; }

    // Adds a closed axis-aligned box (12 triangles) to a layer. Each face is
    // split along the diagonal from its lowest to its highest corner.
    void AddBox(int layer, XYZ lo, XYZ hi) {
        auto& tri = s_.surfaces.Triangles[layer];
        auto quad = [&](XYZ a, XYZ b, XYZ c, XYZ d) {
            tri.push_back({{a, b, c}});
            tri.push_back({{a, c, d}});
        };
        // Front (z = hi.z) and back (z = lo.z): lower-right then upper-left.
        for (float z : {hi.z, lo.z})
            quad({lo.x, lo.y, z}, {hi.x, lo.y, z}, {hi.x, hi.y, z}, {lo.x, hi.y, z});
        for (float x : {lo.x, hi.x})
            quad({x, lo.y, lo.z}, {x, hi.y, lo.z}, {x, hi.y, hi.z}, {x, lo.y, hi.z});
        for (float y : {lo.y, hi.y})
            quad({lo.x, y, lo.z}, {hi.x, y, lo.z}, {hi.x, y, hi.z}, {lo.x, y, hi.z});
        s_.surfaces.TriangleCount[layer] = static_cast<int>(tri.size());
    }

    // The picked point: x and y within `tolerance`, z as good as exact.
    void ExpectPicked(double x, double y, float z, double tolerance) {
        EXPECT_NEAR(s_.peaks.PickedPoint[0], x, tolerance);
        EXPECT_NEAR(s_.peaks.PickedPoint[1], y, tolerance);
        EXPECT_FLOAT_EQ(s_.peaks.PickedPoint[2], z);
    }
    void OnlyVisible(int layer) {
        for (int L = 1; L <= 3; ++L) s_.layers.LayerVisible[L] = (L == layer) ? kTrue : kFalse;
    }
    void Turn(float x, float y, float z) {  // to the unit quaternion (x, y, z, w)
        std::ranges::copy(std::array{x, y, z, std::sqrt(1 - x * x - y * y - z * z)},
                          s_.view.ViewQuaternion);
    }

    OsMesaContext gl_;
    SceneState s_;
    ScriptedDialogs dialogs_;
};

// Centre of the one of the 100 subdivisions of [low, high] that holds v.
float SubdivisionCentre(float low, float high, float v) {
    const float d = (high - low) / 100.0f;
    return low + (std::floor((v - low) / d) + 0.5f) * d;
}

TEST_F(PickingTest, SectionClickGivesTheCentreOfTheQuadUnderTheMouseAlsoRaisedAndShifted) {
    const float xl = -6, xh = 6, yl = -6, yh = 6;  // quads 0.12 wide, 4 pixels
    for (auto [x, y] : {std::pair{0.31f, -1.45f}, std::pair{-5.0f, 4.4f}, std::pair{2.2f, 5.9f}}) {
        ASSERT_TRUE(PickOnSection(s_, MouseX(x), MouseY(y), xl, xh, yl, yh, 0.0f)) << x << "," << y;
        ExpectPicked(SubdivisionCentre(xl, xh, x), SubdivisionCentre(yl, yh, y), 0, 1e-4);
    }
    // (0, 0) is a corner of four quads; the first drawn lies below and left.
    ASSERT_TRUE(PickOnSection(s_, MouseX(0), MouseY(0), xl, xh, yl, yh, 0.0f));
    ExpectPicked(-0.06, -0.06, 0, 1e-4);
    // Quads 0.012 by 0.02 wide: eight lie under that pixel, which is not one spot.
    EXPECT_FALSE(PickOnSection(s_, MouseX(0), MouseY(0), -0.6f, 0.6f, -1, 1, 0));

    // The section -4..2 by 0..5 at z = 3, the view shifted by (1, -2, 0): the pick
    // must use the picture's projection and model-view. A point (x, y, 3) is
    // seen at ((x + 1), (y - 2)) * 22.5 / 19.5 in the plane z = 0.
    s_.view.ViewTranslation[0] = 1.0f;
    s_.view.ViewTranslation[1] = -2.0f;
    const float x = -1.13f, y = 3.23f, k = 22.5f / 19.5f;  // inside a quad, not on its edge
    ASSERT_TRUE(PickOnSection(s_, MouseX((x + 1) * k), MouseY((y - 2) * k), -4, 2, 0, 5, 3));
    ExpectPicked(SubdivisionCentre(-4, 2, x), SubdivisionCentre(0, 5, y), 3, 1e-4);
}

TEST_F(PickingTest, SectionQuadsCoverExactlyTheRectangleOfANonSquareSectionOrTheGrid) {
    const float xl = -5, xh = 3, yl = -1, yh = 1;  // 0.08 by 0.02 units per quad
    const float dx = 0.08f;
    // Just inside each low edge and each high edge: found.
    for (auto [x, y] : {std::pair{xl + 0.5f * dx, 0.3f}, std::pair{xh - 0.5f * dx, 0.3f},
                        std::pair{-2.0f, yl + 0.05f}, std::pair{-2.0f, yh - 0.05f}}) {
        EXPECT_TRUE(PickOnSection(s_, MouseX(x), MouseY(y), xl, xh, yl, yh, 0)) << x << "," << y;
        EXPECT_NEAR(s_.peaks.PickedPoint[0], SubdivisionCentre(xl, xh, x), 1e-3);
    }
    // Beyond the low edges, and beyond the extra last column and row: nothing.
    for (auto [x, y] :
         {std::pair{xl - 0.5f, 0.3f}, std::pair{xh + 2.5f * dx, 0.3f}, std::pair{-2.0f, yl - 0.1f},
          std::pair{-2.0f, yh + 0.1f}, std::pair{5.5f, 5.5f}})
        EXPECT_FALSE(PickOnSection(s_, MouseX(x), MouseY(y), xl, xh, yl, yh, 0)) << x << "," << y;
    // Steps of 1/16 add up exactly: the extra column starts right at the high
    // edge, also when the grid runs the other way (a negative step).
    ASSERT_TRUE(PickOnSection(s_, MouseX(3.28f), MouseY(0.3f), -3, 3.25f, yl, yh, 0));
    EXPECT_NEAR(s_.peaks.PickedPoint[0], 3.25f + 0.0625f / 2, 1e-5);
    ASSERT_TRUE(PickOnSection(s_, MouseX(-3.03f), MouseY(0.3f), 3.25f, -3, yl, yh, 0));
    EXPECT_NEAR(s_.peaks.PickedPoint[0], -3 - 0.0625f / 2, 1e-5);

    // The rectangle of a section spans the grid at the contour layer.
    testing::SetGrid(s_, 11, 21, 5, {-1, 2, -3}, {0.5f, 0.25f, 1.5f});
    s_.surfaces.ContourLayer = 3;
    const SectionRectangle r = SectionPickRectangle(s_);
    EXPECT_EQ((std::array{r.x_low, r.x_high, r.y_low, r.y_high, r.z}),
              (std::array{-1.0f, 4.0f, 2.0f, 7.0f, 0.0f}));

    // PickByMode "2D" uses it: a click at scene (1.6, 3.1) finds that quad.
    s_.switches.PickingMode = PickMode::Section2D;
    ASSERT_TRUE(PickByMode(s_, dialogs_, MouseX(1.6f), MouseY(3.1f)));
    ExpectPicked(SubdivisionCentre(-1, 4, 1.6f), SubdivisionCentre(2, 7, 3.1f), 0, 1e-4);
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(PickingTest, SurfaceThroughOneBlobGivesTheMidpointOfTheTwoCrossingsThroughTwoNothing) {
    // 40 000 small triangles far to the side, then the blob: its triangles
    // carry names above 32 767.
    auto& tri = s_.surfaces.Triangles[2];
    for (int i = 0; i < 40000; ++i)
        tri.push_back({{{-5.9f, -5.9f, 0}, {-5.8f, -5.9f, 0}, {-5.9f, -5.8f, 0}}});
    AddBox(2, {0, -1, -1}, {2, 1, 1});
    OnlyVisible(2);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_STENCIL_TEST);
    GLint proj_depth = 0, mv_depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &proj_depth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &mv_depth);
    // Over the lower-right half of the front face: triangle (x0,y0),(x1,y0),(x1,y1).
    ASSERT_TRUE(PickOnSurface(s_, dialogs_, MouseX(1.6f), MouseY(-0.5f)));
    EXPECT_TRUE(dialogs_.messages.empty());
    ExpectPicked((0 + 2 + 2) / 3.0, (-1 - 1 + 1) / 3.0, 0, 1e-5);  // between front and back
    // The upper-left half.
    ASSERT_TRUE(PickOnSurface(s_, dialogs_, MouseX(0.3f), MouseY(0.6f)));
    ExpectPicked((0 + 2 + 0) / 3.0, (-1 + 1 + 1) / 3.0, 0, 1e-5);
    // Beside the blob: no crossing, nothing picked, no message.
    EXPECT_FALSE(PickOnSurface(s_, dialogs_, MouseX(-3), MouseY(3)));
    EXPECT_FALSE(PickOnSection(s_, MouseX(5), MouseY(5), -1, 1, -1, 1, 0));
    EXPECT_TRUE(dialogs_.messages.empty());

    // The picks leave the matrices and the render mode as they were, and the
    // depth test off.
    const std::pair<GLenum, GLint> state[] = {{GL_PROJECTION_STACK_DEPTH, proj_depth},
                                              {GL_MODELVIEW_STACK_DEPTH, mv_depth},
                                              {GL_RENDER_MODE, GL_RENDER},
                                              {GL_MATRIX_MODE, GL_MODELVIEW}};
    for (auto [what, want] : state) {
        GLint v = 0;
        glGetIntegerv(what, &v);
        EXPECT_EQ(v, want) << what;
    }
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Two blobs in line: four crossings, nothing picked.
    AddBox(1, {-1, -1, 2}, {1, 1, 4});
    AddBox(1, {-1, -1, -4}, {1, 1, -2});
    OnlyVisible(1);
    EXPECT_FALSE(PickOnSurface(s_, dialogs_, MouseX(0.3f), MouseY(-0.2f)));
    EXPECT_TRUE(dialogs_.messages.empty());
    // Turned a quarter about y, the two boxes stand side by side: one is picked.
    Turn(0, std::sqrt(0.5f), 0);
    EXPECT_TRUE(PickOnSurface(s_, dialogs_, MouseX(3.0f), MouseY(-0.2f)));
    // Between the box's x faces, inside one of the two boxes.
    EXPECT_NEAR(s_.peaks.PickedPoint[0], 0.0f, 1e-5);
    EXPECT_GT(std::fabs(s_.peaks.PickedPoint[2]), 2.0f);
    EXPECT_LT(std::fabs(s_.peaks.PickedPoint[2]), 4.0f);
}

TEST_F(PickingTest, SurfaceNeedsExactlyOneVisibleLayer) {
    AddBox(1, {-1, -1, -1}, {1, 1, 1});
    AddBox(3, {2, 2, -1}, {4, 4, 1});
    const float mx = MouseX(3.4f), my = MouseY(2.6f);  // over layer 3's box only
    s_.peaks.PickedPoint[0] = 99;
    for (auto visible : {std::array<Switch, 3>{kTrue, kFalse, kTrue},
                         std::array<Switch, 3>{kFalse, kFalse, kFalse}}) {
        for (int L = 1; L <= 3; ++L) s_.layers.LayerVisible[L] = visible[L - 1];
        EXPECT_FALSE(PickOnSurface(s_, dialogs_, mx, my));
    }
    ASSERT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(dialogs_.messages[0], "Exactly 1 layer must be used for 3D ELD map picking  !!");
    EXPECT_EQ(s_.peaks.PickedPoint[0], 99.0f) << "nothing is picked";

    // Layer 3 alone: its triangles are the ones tested.
    OnlyVisible(3);
    s_.switches.PickingMode = PickMode::Surface3D;
    ASSERT_TRUE(PickByMode(s_, dialogs_, mx, my));
    EXPECT_GT(s_.peaks.PickedPoint[0], 2.0f);
    EXPECT_EQ(dialogs_.messages.size(), 2u);
    // Layer 1 alone: nothing of layer 1 lies under that spot.
    OnlyVisible(1);
    EXPECT_FALSE(PickOnSurface(s_, dialogs_, mx, my));
}

// Gaussian blobs of width 0.35 on a grid of step 0.16 (their surfaces at 0.7
// have triangles of 3 to 7 pixels here), layer 1 at `limit` the only one shown.
void FillBlobMap(SceneState& s, const std::vector<Vec3>& centres, float limit) {
    const int n = 40;
    const float o = -3.1f, d = 0.16f;
    testing::SetGrid(s, n, n, n, {o, o, o}, {d, d, d});
    auto at = [](int i) { return -3.1 + (i - 1) * 0.16; };
    testing::Fill(s, [&](int i, int j, int k) {
        float v = 0;
        for (const Vec3& c : centres) {
            const double r = std::hypot(at(i) - c[0], at(j) - c[1], at(k) - c[2]);
            v += float(1.5 * std::exp(-r * r / (2 * 0.35 * 0.35)));
        }
        return v;
    });
    s.program.DataFolder = ELD_BIN_DIR;
    s.layers.LayerLimit[1] = limit;
    s.layers.LayerLimit[2] = s.layers.LayerLimit[3] = 5;  // above every blob
    s.layers.LayerVisible[1] = kTrue;
    s.switches.ShowContourMap = kFalse;
    ExtractFields(s);
}

TEST_F(PickingTest, LeavingOutFarTrianglesChangesNoHit) {
    // Blob surfaces (triangles of a few pixels), seen turned, shifted and
    // enlarged so that parts come close to the eye.
    FillBlobMap(s_, {{0, 0, 0}, {1, -1, 1}, {-1, 1, -1}, {-1, -1, 1}, {1, 1, -1}}, 0.2f);
    Turn(0.3f, 0.5f, 0);
    s_.view.ViewTranslation[0] = 0.7f;
    s_.view.ViewScale = 2.5f;
    int compared = 0, hit = 0;
    for (float X = 3.5f; X < kSize; X += 37.3f)
        for (float Y = 2.25f; Y < kSize; Y += 41.7f) {
            const SelectionHits picked = SelectSurfaceTriangles(s_, X, Y, 1);
            // The reference: the selection pass with every triangle of the layer sent.
            const auto all = SelectionPass(s_, X, Y, [&] { DrawSurfaceTriangles(s_, 1); }).names;
            ASSERT_EQ(picked.count, static_cast<int>(all.size())) << X << "," << Y;
            EXPECT_EQ(picked.names, all) << X << "," << Y;
            ++compared;
            hit += !all.empty();
        }
    EXPECT_GT(hit, compared / 4) << "the blobs fill much of the window";
}

TEST_F(PickingTest, ClicksAtTheMiddleOfBlobsFindTheirPeaks) {
    // Turned and enlarged as a user would look at them; two blobs lie almost
    // in line, so the ray must stop at the first.
    const std::vector<Vec3> blobs = {
        {0.53, -0.71, 0.22}, {-1.37, 1.11, -0.9}, {1.9, 1.3, 1.05}, {-1.2, 1.0, 1.2}};
    FillBlobMap(s_, blobs, 0.7f);
    Turn(0.2f, -0.3f, 0);
    s_.view.ViewScale = 1.6f;
    int clicks = 0, hits = 0, by_rule = 0;
    for (const Vec3& c : blobs) {
        const float p[3] = {float(c[0]), float(c[1]), float(c[2])};
        const std::array<float, 2> at = SceneToWindow(s_, p);
        // The ray through the point's pixel passes through the point.
        const PickRay ray = PickRayAt(s_, at[0], at[1]);
        const double t = (c[2] - ray.origin[2]) / ray.direction[2];
        for (int a = 0; a < 2; ++a) EXPECT_NEAR(ray.origin[a] + t * ray.direction[a], c[a], 1e-3);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const float X = std::round(at[0]) + dx, Y = std::round(at[1]) + dy;
                ++clicks;
                by_rule += PickOnSurface(s_, dialogs_, X, Y);
                const PickResult r = PickByMode(s_, dialogs_, X, Y);
                const float* got = s_.peaks.PickedPoint;
                if (r && std::hypot(got[0] - c[0], got[1] - c[1], got[2] - c[2]) < 0.3) ++hits;
            }
    }
    EXPECT_EQ(hits, clicks) << "the rule alone found " << by_rule;
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(PickingTest, PicksThatFindNothingSayWhyAndTheSectionFallback) {
    FillBlobMap(s_, {{0.5, 0.5, 0}}, 0.7f);
    // 3D beside the blob: nothing, and the reason names the layer's limit.
    PickResult r = PickByMode(s_, dialogs_, MouseX(-2), MouseY(-2));
    EXPECT_FALSE(r);
    EXPECT_EQ(r.nothing,
              "nothing picked: no density above the limit 0.7 of layer 1 under the pointer");
    // 2D, zoomed out until a pixel covers many of the section's quads: the
    // rule gives up, the contour region under the pointer gives the blob's top
    // in the section.
    s_.switches.PickingMode = PickMode::Section2D;
    s_.view.ViewScale = 0.1f;
    s_.surfaces.ContourLayer = 20;  // z = -0.06
    r = PickByMode(s_, dialogs_, MouseX(0.05f), MouseY(0.05f));
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.fromDensity);
    EXPECT_NEAR(s_.peaks.PickedPoint[0], 0.5, 0.02);
    EXPECT_NEAR(s_.peaks.PickedPoint[1], 0.5, 0.02);
    EXPECT_NEAR(s_.peaks.PickedPoint[2], -0.06, 1e-5);
    r = PickByMode(s_, dialogs_, MouseX(0.25f), MouseY(-0.2f));
    EXPECT_FALSE(r);
    EXPECT_EQ(r.nothing.rfind("nothing picked: the density under the pointer (", 0), 0u)
        << r.nothing;
    r = PickByMode(s_, dialogs_, MouseX(5), MouseY(5));
    EXPECT_EQ(r.nothing, "nothing picked: the pointer is not over the contour section");

    // Otherwise the innermost contour around the pointer. A lone blob at x = 0
    // and a higher pair near x = 1.25: the region above 0.3 holds all three,
    // the one above 1.2 around the pointer only the lone one.
    FillBlobMap(s_, {{0, 0.5, 0}, {1.2, 0.5, 0}, {1.3, 0.55, 0}}, 0.3f);
    s_.layers.LayerLimit[2] = 1.2f;
    // At this scale the pointer lies over scene point (0.05, 0.45).
    r = PickByMode(s_, dialogs_, MouseX(0.005f), MouseY(0.045f));
    ASSERT_TRUE(r) << r.nothing;
    EXPECT_NEAR(s_.peaks.PickedPoint[0], 0, 0.05);
    EXPECT_NEAR(s_.peaks.PickedPoint[1], 0.5, 0.05);
    EXPECT_TRUE(dialogs_.messages.empty());
}

}  // namespace
}  // namespace eld
