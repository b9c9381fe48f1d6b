// Frames drawn offscreen: where the scene's pieces land, the display-list cache,
// the model-view (also as the scene file has it) and the interlaced rows; the frame
// read back and saved; the line arrays against one glBegin/glEnd per triangle.
#include "render/frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <set>
#include <tuple>
#include <vector>

#include "export/povray.h"
#include "export/tga.h"
#include "gl/gl_setup.h"
#include "gl/osmesa_context.h"
#include "gl/primitives.h"
#include "gl/read_pixels.h"
#include "mapdata/geometry.h"
#include "mapdata/read_map.h"
#include "render/scene.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"
#include "view/trackball.h"

namespace eld {
namespace {

// A 100 x 100 window: scene point (x, y, 0) lands at pixel (50 + x/6 * 50,
// 50 + y/6 * 50). Coordinates of 3.06 put a line through the centre of pixel
// row or column 24 (-3.06) or 75 (3.06).
class FrameTest : public ::testing::Test {
  protected:
    FrameTest() : gl_(100, 100) {
        InitDefaultState();
        s_.program.DisplayMode = StereoMode::NoStereo;
        s_.switches.ShowAtoms = kFalse;
        s_.switches.ShowContourMap = kFalse;
        ResizeFrame(s_, 100, 100);
    }

    void AddTriangle(int L, XYZ a, XYZ b, XYZ c, float r, float g, float bl) {
        s_.surfaces.Triangles[L].push_back(SurfaceTriangle{{a, b, c}});
        s_.surfaces.TriangleCount[L] = static_cast<int>(s_.surfaces.Triangles[L].size());
        s_.layers.LayerVisible[L] = kTrue;
        Set(s_.layers.SurfaceColour[L], {r, g, bl});
    }
    // Set(s_.view.ViewQuaternion, {0, 1, 0, 0}): the first values of a state array.
    static void Set(float* to, std::initializer_list<float> v) { std::ranges::copy(v, to); }

    unsigned Paint() { return PaintFrame(s_, 100, 100); }

    // Pixel (x, y) has colour (r, g, b) in 0..1, within rounding.
    ::testing::AssertionResult Is(int x, int y, float r, float g, float b) {
        const std::uint8_t* p = gl_.Pixel(x, y);
        const float want[3] = {r * 255, g * 255, b * 255};
        for (int i = 0; i < 3; ++i)
            if (std::fabs(p[i] - want[i]) > 2.5f)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << int(p[0]) << " " << int(p[1])
                       << " " << int(p[2]);
        return ::testing::AssertionSuccess();
    }
    struct Px {
        int x, y;
        float r = 0, g = 0, b = 0;  // black unless given
    };
    void Pixels(std::initializer_list<Px> want) {
        for (const Px& p : want) EXPECT_TRUE(Is(p.x, p.y, p.r, p.g, p.b));
    }

    OsMesaContext gl_;
    SceneState s_;
};

TEST_F(FrameTest, BackgroundModeNothingPendingErrorsAndSizeChanges) {
    Set(s_.view.ClearColour, {0.2f, 0.4f, 0.6f});
    EXPECT_EQ(Paint(), 0u);
    Pixels({{3, 3, 0.2f, 0.4f, 0.6f}, {97, 60, 0.2f, 0.4f, 0.6f}});
    s_.view.ClearColour[1] = 1;
    s_.program.DisplayMode = StereoMode::Nothing;
    Paint();
    EXPECT_TRUE(Is(3, 3, 0.2f, 0.4f, 0.6f)) << "not even cleared";
    // A pending error is reported once, before the frame is drawn; drawing
    // goes on after the report.
    s_.program.DisplayMode = StereoMode::NoStereo;
    Set(s_.view.ClearColour, {0, 1, 0});
    Paint();
    s_.view.ClearColour[1] = 0;
    glEnable(0x1234);  // invalid enum
    std::vector<unsigned> reported;
    bool drawn_before_report = true;
    const GlErrorReport report = [&](unsigned e) {
        reported.push_back(e);
        drawn_before_report = !Is(10, 10, 0, 1, 0);
    };
    EXPECT_EQ(PaintFrame(s_, 100, 100, DrawSceneContent, report),
              static_cast<unsigned>(GL_INVALID_ENUM));
    EXPECT_FALSE(drawn_before_report);
    Pixels({{10, 10}});
    EXPECT_EQ(PaintFrame(s_, 100, 100, DrawSceneContent, report), 0u);
    EXPECT_EQ(reported, std::vector<unsigned>{GL_INVALID_ENUM});
    // A size change reaches the projection at the next paint.
    gl_.Resize(200, 100);
    PaintFrame(s_, 200, 100);
    EXPECT_FLOAT_EQ(s_.view.AspectX, 2.0f);
}

TEST_F(FrameTest, TriangleGridDrawsEdgesInTheLayerColourThroughTheSceneList) {
    s_.switches.SurfaceStyle = 2;
    AddTriangle(1, {-3, -3.06f, 0}, {3, -3.06f, 0}, {0, 3, 0}, 1, 0, 0);
    // A hidden layer draws nothing.
    AddTriangle(2, {-3, 1.02f, 0}, {3, 1.02f, 0}, {0, 2, 0}, 0, 1, 0);
    s_.layers.LayerVisible[2] = kFalse;
    EXPECT_FALSE(glIsList(kSceneList));
    Paint();
    // The lower edge; no spokes at the centroid in this style, nothing where the
    // hidden layer would be (40, 58) nor above the apex.
    Pixels({{50, 24, 1, 0, 0}, {30, 24, 1, 0, 0}, {50, 41}, {50, 58}, {40, 58}, {50, 80}});
    EXPECT_TRUE(glIsList(kSceneList));
    EXPECT_EQ(s_.SceneListValid, 1);

    // The display list is replayed until the scene changes: a change of
    // colour that nobody announced leaves red.
    Set(s_.layers.SurfaceColour[1], {0, 1});
    Paint();
    EXPECT_TRUE(Is(50, 24, 1, 0, 0));
    // A rotation only re-runs the view transform: a half turn about y keeps
    // the edge on row 24, still red.
    Set(s_.view.ViewQuaternion, {0, 1, 0, 0});
    Paint();
    EXPECT_EQ(s_.SceneListValid, 1);
    EXPECT_TRUE(Is(50, 24, 1, 0, 0));
    s_.SceneListValid = 0;
    Paint();
    EXPECT_TRUE(Is(50, 24, 0, 1, 0));
}

TEST_F(FrameTest, SpiderGridDrawsSpokesFromTheCentroid) {
    s_.switches.SurfaceStyle = 1;
    // Shifted by 0.06 so the vertical spoke runs through column 50's centre.
    AddTriangle(3, {-2.94f, -3.06f, 0}, {3.06f, -3.06f, 0}, {0.06f, 3, 0}, 0, 0, 1);
    Paint();
    // The centroid and the spoke to the apex; the edges themselves are not drawn.
    Pixels({{50, 41, 0, 0, 1}, {50, 60, 0, 0, 1}, {50, 24}, {30, 24}});
}

TEST_F(FrameTest, ContourSegmentsAndTheSectionFrame) {
    s_.switches.ShowContourMap = kTrue;
    testing::SetGrid(s_, 5, 5, 5, {-3.06f, -3.06f, 0}, {1.53f, 1.53f, 1.53f});
    s_.surfaces.ContourLayer = 1;
    // A segment of limit 2 along row 50; limits are drawn whatever the layer switches say.
    s_.surfaces.ContourSegments[2].push_back(ContourSegment{{{-2, 0.06f, 0}, {2, 0.06f, 0}}});
    s_.surfaces.ContourSegmentCount[2] = 1;
    s_.layers.ContourColour[2][1] = 1;
    s_.layers.LayerVisible[2] = kFalse;
    Paint();
    // The segment and the frame's four edges.
    Pixels({{50, 50, 0, 1, 0}, {50, 24, 0.7f, 0.7f, 0.7f}, {75, 50, 0.7f, 0.7f, 0.7f}, {79, 50}});
    Pixels({{50, 75, 0.7f, 0.7f, 0.7f}, {24, 50, 0.7f, 0.7f, 0.7f}, {50, 79}});

    // Section 3 lies 3.06 nearer the viewer, so the frame appears larger.
    s_.surfaces.ContourLayer = 3;
    s_.surfaces.ContourSegmentCount[2] = 0;
    s_.SceneListValid = 0;
    Paint();
    Pixels({{79, 50, 0.7f, 0.7f, 0.7f}, {75, 50}, {50, 50}});
}

TEST_F(FrameTest, CellEdgesAreGreyWhenShownAndTheCellIsItsTwelveEdges) {
    const float c = 3.06f;
    const XYZ corners[8] = {{-c, -c, 0},  {c, -c, 0},  {c, c, 0},  {-c, c, 0},
                            {-c, -c, -3}, {c, -c, -3}, {c, c, -3}, {-c, c, -3}};
    for (int i = 0; i < 8; ++i) s_.map.CellCorners[i] = corners[i];
    for (Switch show : {kFalse, kTrue}) {
        s_.switches.ShowCell = show;
        s_.SceneListValid = 0;
        Paint();
        // The far face (z = -3) is smaller on screen: its edge x = 3.06 is at
        // 3.06 / 6 * 22.5 / 25.5, column 72.
        const float grey = On(show) ? 0.5f : 0;
        for (auto [x, y] : {std::pair{50, 24}, {24, 50}, {72, 50}})
            EXPECT_TRUE(Is(x, y, grey, grey, grey));
    }
    Pixels({{50, 50}});

    // The cell of a skewed matrix through GL's feedback buffer, with identity
    // matrices: window (x, y, z) is 50 (X + 1), 50 (Y + 1), (Z + 1) / 2. Every
    // segment must join two corners whose fractional coordinates differ on one axis.
    s_.map.CellMatrix = {{{0.5f, 0.1f, 0.2f}, {0, 0.6f, -0.1f}, {0, 0, 0.7f}}};
    PlaceAtomsAndCell(s_);
    const Matrix3 inverse = InvertMatrix3(s_.map.CellMatrix);
    std::vector<GLfloat> buf(1000);
    glFeedbackBuffer(GLsizei(buf.size()), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    DrawCell(s_);
    const int n = glRenderMode(GL_RENDER);
    std::set<std::pair<int, int>> edges;
    for (int k = 0; k < n; k += 7) {
        ASSERT_TRUE(buf[k] == GL_LINE_TOKEN || buf[k] == GL_LINE_RESET_TOKEN) << buf[k];
        int corner[2] = {0, 0};
        for (int e = 0; e < 2; ++e) {
            const GLfloat* w = &buf[k + 1 + 3 * e];
            const float p[3] = {w[0] / 50 - 1, w[1] / 50 - 1, 2 * w[2] - 1};
            for (int a = 0; a < 3; ++a) {
                const float f = inverse[a][0] * p[0] + inverse[a][1] * p[1] + inverse[a][2] * p[2];
                ASSERT_NEAR(f, std::round(f), 1e-3) << "not a corner";
                corner[e] |= int(std::round(f)) << a;
            }
        }
        EXPECT_EQ(std::popcount(unsigned(corner[0] ^ corner[1])), 1)
            << corner[0] << "-" << corner[1];
        edges.insert(std::minmax(corner[0], corner[1]));
    }
    EXPECT_EQ(n, 12 * 7);
    EXPECT_EQ(edges.size(), 12u);
}

TEST_F(FrameTest, AtomsBondsPeaksAndMarker) {
    s_.switches.ShowAtoms = kTrue;
    s_.map.AtomCount = 2;
    s_.map.AtomNames = {"O   ", "O   "};
    s_.map.AtomData = {{-3, 0.06f, 0}, {3, 0.06f, 0}};
    s_.map.BondList = {Bond{0, 1}};
    s_.map.BondCount = 1;
    Paint();
    EXPECT_TRUE(Is(50, 50, 0.7f, 0.7f, 0.7f));  // bond, unlit grey
    EXPECT_GT(gl_.Pixel(25, 50)[0], 100);       // a lit red sphere

    s_.map.BondCount = 0;  // atoms alone: spheres only
    s_.switches.ShowPickMarker = kTrue;
    s_.peaks.PickedPoint[1] = 3;
    s_.peaks.PeakCount = 1;
    Set(s_.peaks.PeakList[0], {0, -3});
    s_.SceneListValid = 0;
    Paint();
    Pixels({{50, 50}});
    // The marker: white, lit face on.
    for (int c = 0; c < 3; ++c) EXPECT_GT(gl_.Pixel(50, 75)[c], 200);
    const std::uint8_t* peak = gl_.Pixel(50, 25);
    EXPECT_GT(peak[0], 100);
    EXPECT_GE(peak[0], peak[2]);  // orange, or white at the highlight
    EXPECT_GT(gl_.Pixel(25, 50)[0], 100);
    // A quarter turn about y puts a side face of the marker in front: with a
    // head light it is just as bright (a light fixed in the scene would leave
    // it at the ambient level).
    const int front = gl_.Pixel(50, 75)[0];
    Set(s_.view.ViewQuaternion, {0, std::sqrt(0.5f), 0, std::sqrt(0.5f)});
    Paint();
    EXPECT_NEAR(gl_.Pixel(50, 75)[0], front, 3);

    s_.peaks.PeakCount = 0;
    s_.switches.ShowPickMarker = kFalse;
    s_.SceneListValid = 0;
    Paint();
    Pixels({{50, 75}, {50, 25}});
}

TEST_F(FrameTest, BoxesAndModelViewNormalizesOnlyWhenScaledAndIsThePovrayMatrix) {
    // An unlit box from (0, 0, 0) to (3, 3, 1), seen from the front, covers
    // pixels 50..75 on both axes; its front face has normal +z.
    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Kamera(s_, Eye::CentralEye);
    recalcModelView(s_);
    glColor3f(0, 1, 1);
    DrawBox(3, 3, 1);
    Pixels({{60, 60, 0, 1, 1}, {45, 60}});
    GLfloat n[4];
    glGetFloatv(GL_CURRENT_NORMAL, n);
    EXPECT_EQ(n[0], -1.0f);  // the last face's normal stays current

    glRotatef(30, 1, 2, 3);
    glTranslatef(5, -7, 2);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    DrawCentredBox(0.3, 1000.0, -2.5);
    DrawCube(0.3);
    DrawBox(0, 1, 1);  // degenerate: nothing fails
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(after[i], before[i], 1e-3) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Renormalising only when scaled; the scene file's matrix is the one the
    // screen uses.
    for (float scale : {1.0f, std::nextafter(1.0f, 2.0f), 1.0f}) {
        s_.view.ViewScale = scale;
        recalcModelView(s_);
        EXPECT_EQ(glIsEnabled(GL_NORMALIZE) != 0, scale != 1.0f) << scale;
    }
    Trackball(s_.view.ViewQuaternion, 0.1f, -0.2f, 0.7f, 0.4f);  // off every axis
    Set(s_.view.ViewTranslation, {0.9f, -1.2f, 3.3f});
    s_.view.ViewScale = 1.7f;
    recalcModelView(s_);
    float gl[16], core[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, gl);
    ModelViewFromView(s_, core);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(core[i], gl[i], 1e-5f) << "element " << i;
    EXPECT_GT(std::abs(core[1]), 0.01f);  // really turned
}

TEST_F(FrameTest, InterlacedStereoPutsTheRightEyeOnEvenRows) {
    s_.program.DisplayMode = StereoMode::StereoInterlaced;
    ResizeFrame(s_, 100, 100);
    s_.switches.SurfaceStyle = 2;
    // A vertical line 10 units in front of the zero-parallax plane: the right
    // eye sees it at column 47-48, the left eye at 51-52.
    AddTriangle(1, {0, -3, 10}, {0, 3, 10}, {0, 0, 10}, 1, 1, 0);
    Paint();
    for (int y : {40, 50, 60})  // the right eye on row y, the left on row y + 1
        Pixels({{47, y, 1, 1, 0}, {52, y}, {52, y + 1, 1, 1, 0}, {47, y + 1}});
}

TEST_F(FrameTest, LineWidthsByDisplayModeAndColours) {
    // Surface and bond lines double in interlaced stereo; cell lines and the
    // contour frame (drawn last) are 2 wide.
    const StereoMode I = StereoMode::StereoInterlaced, N = StereoMode::NoStereo;
    const std::tuple<StereoMode, void (*)(const SceneState&), float> cases[] = {
        {I, TriangleGrid, 2}, {I, DrawCell, 2},  {N, SpiderGrid, 1},
        {N, ContourMap, 2},   {I, DrawAtoms, 2}, {N, DrawAtoms, 1}};
    s_.map.AtomCount = 0;
    int n = 0;
    for (auto [mode, draw, width] : cases) {
        s_.program.DisplayMode = mode;
        draw(s_);
        GLfloat w;
        glGetFloatv(GL_LINE_WIDTH, &w);
        EXPECT_EQ(w, width) << "case " << n++;
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    // Empty or hidden layers set no colour.
    AddTriangle(1, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 1, 0, 0);
    s_.layers.LayerVisible[1] = kFalse;
    s_.layers.LayerVisible[2] = kTrue;  // without triangles
    s_.layers.SurfaceColour[2][1] = 1;
    glColor3f(0.25f, 0.5f, 0.75f);
    SpiderGrid(s_);
    TriangleGrid(s_);
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_EQ(std::vector<float>(c, c + 3), (std::vector<float>{0.25f, 0.5f, 0.75f}));
    DrawPickMarker(s_);  // white
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_EQ(std::vector<float>(c, c + 3), (std::vector<float>{1, 1, 1}));
}

TEST(ReadPixels, OddWidthRowsArePackedBottomUpInBlueGreenRedAndSavedAsPngByTheName) {
    const int w = 641, h = 5;
    OsMesaContext ctx(w, h);
    glClearColor(0, 0, 1, 1);  // blue, the bottom row red
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, 1);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    // A 4-byte pack alignment left behind by other code must not pad the rows.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    auto px = ReadFramePixelsBgr(w, h);
    ASSERT_EQ(px.size(), static_cast<std::size_t>(w) * h * 3);
    // Byte and value: the first row in the buffer is the bottom one, red as 0,
    // 0, 255; the second starts exactly 1923 bytes in and is blue, 255, 0, 0.
    const std::size_t last = px.size() - 1,
                      bytes[][2] = {{0, 0},      {1, 0},    {2, 255},  {(w - 1) * 3 + 2, 255},
                                    {1923, 255}, {1924, 0}, {1925, 0}, {last - 2, 255},
                                    {last, 0}};
    for (auto [i, v] : bytes) EXPECT_EQ(px[i], v) << "byte " << i;

    const testing::TempDir tmp;
    const auto tga = TgaHeader(w, h);
    for (auto [name, png] : {std::pair{"a.PNG", true}, {"b.png.tga", false}, {"c", false}}) {
        SaveImage(tmp / name, w, h);
        const std::string file = testing::ReadFile(tmp / name);
        if (png)
            EXPECT_EQ(file.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
        else  // the header, then the pixels as read back
            EXPECT_TRUE(file ==
                        std::string(tga.begin(), tga.end()) + std::string(px.begin(), px.end()))
                << name;
    }
}

void V(const XYZ& p) {
    glVertex3f(p.x, p.y, p.z);
}

// The lines of a scene without atoms, peaks, marker or cell drawn with one
// immediate-mode primitive per triangle: strip A, G, B and line G, C (style
// 1) or loop A, B, C (style 2); contours in one batch.
void ImmediateContent(const SceneState& s) {
    glDisable(GL_LIGHTING);
    glLineWidth(SurfaceLineWidth(s.program.DisplayMode));
    const bool spider = s.switches.SurfaceStyle == 1;
    for (int L = 1; L <= kLayers; ++L) {
        if (!On(s.layers.LayerVisible[L])) continue;
        glColor3fv(s.layers.SurfaceColour[L]);
        for (int t = 0; t < s.surfaces.TriangleCount[L]; ++t) {
            const XYZ* v = s.surfaces.Triangles[L][t].v;
            const XYZ g = TriangleCentroid(v[0], v[1], v[2]);
            glBegin(spider ? GL_LINE_STRIP : GL_LINE_LOOP);
            V(v[0]), V(spider ? g : v[1]), V(spider ? v[1] : v[2]);
            glEnd();
            if (!spider) continue;
            glBegin(GL_LINES);
            V(g), V(v[2]);
            glEnd();
        }
    }
    if (On(s.switches.ShowContourMap)) {
        glLineWidth(kContourLineWidth);
        glBegin(GL_LINES);
        for (int L = 1; L <= kLayers; ++L) {
            glColor3fv(s.layers.ContourColour[L]);
            for (int k = 0; k < s.surfaces.ContourSegmentCount[L]; ++k)
                for (const XYZ& p : s.surfaces.ContourSegments[L][k].end) V(p);
        }
        glEnd();
        ContourSectionFrame(s);
    }
}

// Differing pixels between two pictures.
int Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) n += std::memcmp(&a[i], &b[i], 3) != 0;
    return n;
}

TEST(LineArrays, PictureIsTheImmediateModePictureInEveryModeAndStyle) {
    constexpr int kW = 640, kH = 480;
    OsMesaContext gl(kW, kH);
    // A 40^3 map of Gaussian atoms, three layers (tens of thousands of
    // triangles with shared edges) and a contour section, zoomed so the surfaces
    // fill the window at an oblique view.
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
    Trackball(s.view.ViewQuaternion, 0.1f, 0.2f, 0.45f, -0.3f);
    s.view.ViewScale = 1.3f;
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
            for (auto* pictures : {want, got})
                for (int frame = 0; frame < 2; ++frame) {
                    if (frame == 0) InvalidateScene(s);
                    PaintFrame(s, kW, kH, pictures == want ? ImmediateContent : DrawSceneContent);
                    pictures[frame].assign(gl.Pixel(0, 0), gl.Pixel(0, 0) + 4 * kW * kH);
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
