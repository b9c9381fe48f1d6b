// The surface grids and contours go to GL as vertex arrays; the picture must
// be the one that one glBegin/glEnd per triangle gave, pixel for pixel, in the
// frame that records display list 1 and in the frames that replay it.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gl/gl_setup.h"
#include "gl/osmesa_context.h"
#include "mapdata/geometry.h"
#include "render/frame.h"
#include "render/scene.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"
#include "view/trackball.h"

namespace eld {
namespace {

void V(const XYZ& p) {
    glVertex3f(p.x, p.y, p.z);
}

// The scene drawn with one immediate-mode primitive per triangle: strip A, G,
// B and line G, C (style 1) or loop A, B, C (style 2); contours in one batch.
void ImmediateContent(const SceneState& s) {
    glEnable(GL_LIGHTING);
    if (On(s.switches.ShowPickMarker)) DrawPickMarker(s);
    if (s.peaks.PeakCount > 0) DrawPeaks(s);
    if (On(s.switches.ShowAtoms)) DrawAtoms(s);
    glDisable(GL_LIGHTING);
    glLineWidth(SurfaceLineWidth(s.program.DisplayMode));
    for (int L = 1; L <= kLayers; ++L) {
        if (!On(s.layers.LayerVisible[L]) || s.surfaces.TriangleCount[L] <= 0) continue;
        glColor3fv(s.layers.SurfaceColour[L]);
        for (int t = 0; t < s.surfaces.TriangleCount[L]; ++t) {
            const XYZ* v = s.surfaces.Triangles[L][t].v;
            if (s.switches.SurfaceStyle == 1) {
                const XYZ g = TriangleCentroid(v[0], v[1], v[2]);
                glBegin(GL_LINE_STRIP);
                V(v[0]), V(g), V(v[1]);
                glEnd();
                glBegin(GL_LINES);
                V(g), V(v[2]);
                glEnd();
            } else {
                glBegin(GL_LINE_LOOP);
                V(v[0]), V(v[1]), V(v[2]);
                glEnd();
            }
        }
    }
    if (On(s.switches.ShowContourMap)) {
        glLineWidth(kContourLineWidth);
        glBegin(GL_LINES);
        for (int L = 1; L <= kLayers; ++L) {
            if (s.surfaces.ContourSegmentCount[L] <= 0) continue;
            glColor3fv(s.layers.ContourColour[L]);
            for (int k = 0; k < s.surfaces.ContourSegmentCount[L]; ++k)
                V(s.surfaces.ContourSegments[L][k].end[0]),
                    V(s.surfaces.ContourSegments[L][k].end[1]);
        }
        glEnd();
        ContourSectionFrame(s);
    }
    if (On(s.switches.ShowCell)) DrawCell(s);
}

constexpr int kW = 640, kH = 480;

// A 40^3 map of Gaussian atoms, three layers (tens of thousands of
// triangles with shared edges), a contour section, atoms, peaks, marker and
// cell, zoomed so the surfaces fill the window at an oblique view.
SceneState LargeScene() {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    testing::SetGrid(s, 40, 40, 40, {-6, -6, -6}, {0.3f, 0.3f, 0.3f});
    testing::FillSmooth(s, 60, 11);
    const float limits[4] = {0, 1, 3, 6};
    for (int L = 1; L <= 3; ++L) {
        s.layers.LayerLimit[L] = limits[L];
        s.layers.LayerVisible[L] = kTrue;
        s.layers.SurfaceColour[L][L - 1] = s.layers.ContourColour[L][(L + 1) % 3] = 1;
    }
    s.surfaces.ContourLayer = 17;
    ExtractFields(s);
    for (int i = 0; i < 12; ++i) {
        s.map.AtomNames.push_back(i % 2 ? "C   " : "N   ");
        s.map.AtomData.push_back({-4.0f + 0.7f * i, 0.3f * i - 2, 1.0f});
        if (i > 0) s.map.BondList.push_back(Bond{std::int16_t(i - 1), std::int16_t(i)});
    }
    s.map.AtomCount = 12;
    s.map.BondCount = 11;
    s.peaks.PeakCount = 2;
    s.peaks.PeakList[1][0] = 2.5f;
    s.switches.ShowPickMarker = s.switches.ShowCell = kTrue;
    for (int c = 0; c < 8; ++c)
        s.map.CellCorners[c] = {c & 1 ? 5.f : -5.f, c & 2 ? 5.f : -5.f, c & 4 ? 5.f : -5.f};
    s.peaks.PickedPoint[1] = -1.5f;
    Trackball(s.view.ViewQuaternion, 0.1f, 0.2f, 0.45f, -0.3f);
    s.view.ViewScale = 1.3f;
    return s;
}

std::vector<std::uint8_t> Pixels() {
    std::vector<std::uint8_t> p(4 * kW * kH);
    glFinish();
    glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// Differing pixels between two pictures.
int Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) n += std::memcmp(&a[i], &b[i], 3) != 0;
    return n;
}

TEST(LineArrays, PictureIsTheImmediateModePictureInEveryModeAndStyle) {
    OsMesaContext gl(kW, kH);
    SceneState s = LargeScene();
    ASSERT_GT(s.surfaces.TriangleCount[1], 20000);
    ASSERT_GT(s.surfaces.ContourSegmentCount[1], 100);
    for (StereoMode mode :
         {StereoMode::NoStereo, StereoMode::StereoInterlaced, StereoMode::StereoHW}) {
        for (std::int16_t style : {1, 2}) {
            SCOPED_TRACE(std::string(Text(mode)) + " style " + std::to_string(style));
            s.program.DisplayMode = mode;
            s.switches.SurfaceStyle = style;
            InitDefaultState();
            ResizeFrame(s, kW, kH);
            std::vector<std::uint8_t> want[2], got[2];  // recording, then replay
            for (SceneContentFn content : {ImmediateContent, DrawSceneContent})
                for (int frame = 0; frame < 2; ++frame) {
                    if (frame == 0) InvalidateScene(s);
                    PaintFrame(s, kW, kH, content);
                    (content == ImmediateContent ? want : got)[frame] = Pixels();
                }
            for (int frame = 0; frame < 2; ++frame) {
                EXPECT_EQ(Differences(want[frame], got[frame]), 0) << "frame " << frame;
                EXPECT_GT(Differences(want[frame], std::vector<std::uint8_t>(want[frame].size())),
                          kW * kH / 10);  // the scene covers the window
            }
        }
    }
}

}  // namespace
}  // namespace eld
