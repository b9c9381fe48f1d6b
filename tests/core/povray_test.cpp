#include "export/povray.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "mapdata/eld_error.h"
#include "tests/core/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    // Every line must end in CR LF; a bare LF is a fault.
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        EXPECT_NE(lf, std::string::npos) << "last line without an end";
        if (lf == std::string::npos) break;
        EXPECT_TRUE(lf > start && text[lf - 1] == '\r')
            << "bare LF after: " << text.substr(start, lf - start);
        out.push_back(text.substr(start, lf - start - 1));
        start = lf + 1;
    }
    return out;
}

eld::XYZ P(float x, float y, float z) {
    return eld::XYZ{x, y, z};
}

// A scene with everything switched off; each test switches on what it needs.
eld::SceneState EmptyScene() {
    eld::SceneState s;
    s.map.MapFileName = "maps/small.fou";
    s.switches.ShowAtoms = eld::kFalse;
    s.switches.ShowContourMap = eld::kFalse;
    s.switches.ShowCell = eld::kFalse;
    s.switches.SurfaceStyle = 2;
    for (int L = 1; L <= 3; ++L) s.layers.LayerVisible[L] = eld::kFalse;
    return s;
}

std::string Text(const eld::SceneState& s, const std::string& header = "") {
    eld::PovSink out;
    eld::WritePovrayText(out, s, header);
    return out.text;
}

const std::vector<std::string> kIdentityMatrix = {"matrix <",           " 1  ,  0  ,  0  , ",
                                                  " 0  ,  1  ,  0  , ", " 0  ,  0  ,  1  , ",
                                                  " 0  ,  0  ,  0 ",    ">"};

TEST(PovrayText, EmptyPartsGiveCommentsHeaderUnionsMatrixAndMirror) {
    eld::SceneState s = EmptyScene();
    s.layers.LayerVisible[1] = eld::kTrue;
    s.layers.LayerVisible[3] = eld::kTrue;
    s.surfaces.Triangles[1] = {{P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)}};
    s.surfaces.TriangleCount[1] = 1;
    s.surfaces.TriangleCount[3] = 0;
    s.surfaces.Triangles[2] = {{P(5, 5, 5), P(6, 5, 5), P(5, 6, 5)}};  // layer 2 is off
    s.surfaces.TriangleCount[2] = 1;
    std::vector<std::string> expect = {"// Original ELD map filename:",
                                       "// maps/small.fou",
                                       "#declare cylRadius = 0.02;",
                                       "",
                                       "union {",
                                       "union {",
                                       "union {",
                                       "cylinder{< 0 , 0 , 0 >,< 1 , 0 , 0 >,cylRadius}",
                                       "cylinder{< 1 , 0 , 0 >,< 0 , 1 , 0 >,cylRadius}",
                                       "cylinder{< 0 , 1 , 0 >,< 0 , 0 , 0 >,cylRadius}",
                                       "pigment { color Level1Color }",
                                       "}",
                                       "union {",
                                       "pigment { color Level3Color }",
                                       "}"};
    expect.insert(expect.end(), kIdentityMatrix.begin(), kIdentityMatrix.end());
    expect.insert(expect.end(), {"}", "scale <1,1,-1>", "}"});
    EXPECT_EQ(Lines(Text(s, "#declare cylRadius = 0.02;\r\n\r\n")), expect);
}

TEST(PovrayText, DegenerateTriangleLosesOnlyItsZeroLengthEdge) {
    eld::SceneState s = EmptyScene();
    s.layers.LayerVisible[2] = eld::kTrue;
    s.surfaces.Triangles[2] = {{P(1, 1, 1), P(1, 1, 1), P(2, 1, 1)}};
    s.surfaces.TriangleCount[2] = 1;
    eld::PovSink tri;
    eld::WriteTriangleGridPov(tri, s);
    EXPECT_EQ(Lines(tri.text), (std::vector<std::string>{
                                   "union {", "cylinder{< 1 , 1 , 1 >,< 2 , 1 , 1 >,cylRadius}",
                                   "cylinder{< 2 , 1 , 1 >,< 1 , 1 , 1 >,cylRadius}",
                                   "pigment { color Level2Color }", "}"}));
}

TEST(PovrayText, WebStyleDrawsSpokesFromTheCentroidInOrder) {
    eld::SceneState s = EmptyScene();
    s.switches.SurfaceStyle = 1;
    s.layers.LayerVisible[1] = eld::kTrue;
    s.surfaces.Triangles[1] = {{P(0, 0, 0), P(3, 0, 0), P(0, 3, 0)},
                               {P(9, 9, 9), P(9, 9, 9), P(9, 9, 9)}};
    s.surfaces.TriangleCount[1] = 1;  // the second triangle is stale and must not appear
    auto lines = Lines(Text(s));
    std::vector<std::string> body(lines.begin() + 4, lines.begin() + 10);
    EXPECT_EQ(body, (std::vector<std::string>{"union {",
                                              "cylinder{< 0 , 0 , 0 >,< 1 , 1 , 0 >,cylRadius}",
                                              "cylinder{< 1 , 1 , 0 >,< 3 , 0 , 0 >,cylRadius}",
                                              "cylinder{< 1 , 1 , 0 >,< 0 , 3 , 0 >,cylRadius}",
                                              "pigment { color Level1Color }", "}"}));
}

TEST(PovrayText, ContourUnionsForEveryLimitAndTheSectionFrame) {
    eld::SceneState s = EmptyScene();
    s.switches.ShowContourMap = eld::kTrue;
    s.layers.LayerVisible[2] = eld::kFalse;  // still gets its contour union
    s.surfaces.ContourSegments[2] = {{P(.5f, 0, 2), P(.5f, -1.5f, 2)}};
    s.surfaces.ContourSegmentCount[2] = 1;
    s.map.MapGrid.GridPoints[0] = 11;
    s.map.MapGrid.GridPoints[1] = 5;
    s.map.MapGrid.GridPoints[2] = 7;
    s.map.MapGrid.GridOrigin[0] = -1;
    s.map.MapGrid.GridOrigin[1] = 0;
    s.map.MapGrid.GridOrigin[2] = 1;
    s.map.MapGrid.GridStep[0] = 0.5f;
    s.map.MapGrid.GridStep[1] = 0.25f;
    s.map.MapGrid.GridStep[2] = 0.5f;
    s.surfaces.ContourLayer = 3;  // z = 2 * 0.5 + 1 = 2
    eld::PovSink out;
    eld::WriteContourMapPov(out, s);
    EXPECT_EQ(
        Lines(out.text),
        (std::vector<std::string>{
            "union {", "pigment { color Level1Color }", "}", "union {",
            "cylinder{< .5 , 0 , 2 >,< .5 ,-1.5 , 2 >,cylRadius}", "pigment { color Level2Color }",
            "}", "union {", "pigment { color Level3Color }", "}", "union {",
            "cylinder{<-1 , 0 , 2 >,< 4 , 0 , 2 >,cylRadius}",
            "cylinder{< 4 , 0 , 2 >,< 4 , 1 , 2 >,cylRadius}",
            "cylinder{< 4 , 1 , 2 >,<-1 , 1 , 2 >,cylRadius}",
            "cylinder{<-1 , 1 , 2 >,<-1 , 0 , 2 >,cylRadius}", "pigment { color Gray40 }", "}"}));
}

TEST(PovrayText, AtomSphereAndBondUnion) {
    eld::SceneState s = EmptyScene();
    s.switches.ShowAtoms = eld::kTrue;
    s.map.AtomCount = 2;
    s.map.AtomNames = {"C   ", "O1  "};
    s.map.AtomData.resize(2);
    s.map.AtomData[0][0] = 1;
    s.map.AtomData[0][1] = 2;
    s.map.AtomData[0][2] = -3;
    s.map.AtomData[1][0] = 1.25f;
    s.map.AtomData[1][1] = 2;
    s.map.AtomData[1][2] = -3;
    s.map.BondList = {{0, 1}};
    s.map.BondCount = 1;
    eld::PovSink out;
    eld::WriteAtomsPov(out, s);
    EXPECT_EQ(Lines(out.text),
              (std::vector<std::string>{
                  "sphere {< 1 , 2 ,-3 >,AtomRadiusForC    pigment { color ColorForC   }}",
                  "sphere {< 1.25 , 2 ,-3 >,AtomRadiusForO1   pigment { color ColorForO1  }}",
                  "union {", "cylinder{< 1 , 2 ,-3 >,< 1.25 , 2 ,-3 >,bondcylRadius}",
                  "pigment { color Gray }", "}"}));
}

TEST(PovrayText, CellHasTwelveEdgesInCornerOrder) {
    eld::SceneState s = EmptyScene();
    s.switches.ShowCell = eld::kTrue;
    const float c[8][3] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0},
                           {0, 0, 2}, {2, 0, 2}, {2, 2, 2}, {0, 2, 2}};
    for (int i = 0; i < 8; ++i) s.map.CellCorners[i] = P(c[i][0], c[i][1], c[i][2]);
    eld::PovSink out;
    eld::WriteCellPov(out, s);
    auto lines = Lines(out.text);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[1], "cylinder{< 0 , 0 , 0 >,< 2 , 0 , 0 >,cylRadius}");   // 1-2
    EXPECT_EQ(lines[4], "cylinder{< 0 , 2 , 0 >,< 0 , 0 , 0 >,cylRadius}");   // 4-1
    EXPECT_EQ(lines[8], "cylinder{< 0 , 2 , 2 >,< 0 , 0 , 2 >,cylRadius}");   // 8-5
    EXPECT_EQ(lines[9], "cylinder{< 0 , 0 , 0 >,< 0 , 0 , 2 >,cylRadius}");   // 1-5
    EXPECT_EQ(lines[12], "cylinder{< 0 , 2 , 0 >,< 0 , 2 , 2 >,cylRadius}");  // 4-8
    EXPECT_EQ(lines[13], "pigment { color Gray80 }");
}

TEST(PovrayMatrix, IdentityViewWithTranslationAndAHalfTurn) {
    eld::SceneState s = EmptyScene();
    s.view.ViewTranslation[0] = 1.5f;
    s.view.ViewTranslation[1] = -2;
    s.view.ViewTranslation[2] = .25f;
    auto lines = Lines(Text(s));
    std::vector<std::string> block(lines.end() - 9, lines.end() - 3);
    EXPECT_EQ(block,
              (std::vector<std::string>{"matrix <", " 1  ,  0  ,  0  , ", " 0  ,  1  ,  0  , ",
                                        " 0  ,  0  ,  1  , ", " 1.5  , -2  ,  .25 ", ">"}));
    // Looking along z (a half turn about (1,1,0)) with scale 2: x and y swap,
    // z flips; the translation is turned but not scaled.
    float h = std::sqrt(0.5f);
    float q[4] = {h, h, 0, 0};
    std::copy(q, q + 4, s.view.ViewQuaternion);
    s.view.ViewScale = 2;
    float m[16];
    eld::ModelViewFromView(s, m);
    const float expect[16] = {0, 2, 0, 0, 2, 0, 0, 0, 0, 0, -2, 0, -2, 1.5f, -.25f, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expect[i], 1e-6) << "element " << i;
}

TEST(PovraySegment, ThresholdIsATenThousandth) {
    EXPECT_TRUE(eld::SegmentLongEnough(0, 0, 0, 0.0001f, 0, 0));
    EXPECT_FALSE(eld::SegmentLongEnough(0, 0, 0, 0.00009f, 0, 0));
    EXPECT_FALSE(eld::SegmentLongEnough(3, 4, 5, 3, 4, 5));
    EXPECT_TRUE(eld::SegmentLongEnough(0, 0, 0, 0.00006f, 0.00006f, 0.00006f));  // ~0.000104
}

class PovrayFile : public eld::testing::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        scene_ = EmptyScene();
        scene_.program.DataFolder = dir_.string();
    }
    void Header(const std::string& text) { Put(eld::kPovrayHeaderName, text); }
    eld::SceneState scene_;
};

TEST_F(PovrayFile, HeaderIsCopiedUpToItsEndLineWithCrLf) {
    Header("camera { }\nlight_source { <0,0,-20> color rgb 1 }\r\n//END OF FILE\nnot copied\n");
    fs::path out = dir_ / "scene.pov";
    eld::WritePovrayScene(scene_, out.string());
    auto lines = Lines(Read(out));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[2], "camera { }");
    EXPECT_EQ(lines[3], "light_source { <0,0,-20> color rgb 1 }");
    EXPECT_EQ(lines[4], "union {");
    EXPECT_EQ(Read(out).find("not copied"), std::string::npos);
}

TEST_F(PovrayFile, HeaderStartingWithTheEndLineContributesNothing) {
    Header("//END OF FILE\r\n#declare cylRadius = 1;\r\n");
    fs::path out = dir_ / "scene.pov";
    eld::WritePovrayScene(scene_, out.string());
    auto lines = Lines(Read(out));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "// maps/small.fou");
    EXPECT_EQ(lines[2], "union {");
}

TEST_F(PovrayFile, BadHeaderNamesItsFileAndLeavesTheOldSceneAlone) {
    fs::path out = dir_ / "scene.pov";
    std::ofstream(out) << "old scene";
    fs::path header = dir_ / eld::kPovrayHeaderName;
    try {  // missing
        eld::WritePovrayScene(scene_, out.string());
        FAIL() << "no error";
    } catch (const eld::EldError& e) {
        EXPECT_NE(std::string(e.what()).find(header.string()), std::string::npos) << e.what();
    }
    Header("camera { }\r\n// END OF FILE\r\n//end of file\r\n");  // near misses only
    try {
        eld::WritePovrayScene(scene_, out.string());
        FAIL() << "no error";
    } catch (const eld::EldError& e) {
        EXPECT_NE(std::string(e.what()).find(header.string()), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("//END OF FILE"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Read(out), "old scene");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 2);  // scene and header only
}

TEST_F(PovrayFile, BigSceneStreamsToTheFileWhole) {
    Header("//END OF FILE\r\n");
    scene_.layers.LayerVisible[1] = eld::kTrue;
    scene_.surfaces.Triangles[1].assign(30000, {P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)});
    scene_.surfaces.TriangleCount[1] = 30000;
    fs::path out = dir_ / "big.pov";
    eld::WritePovrayScene(scene_, out.string());
    std::string text = Read(out);
    EXPECT_EQ(text, Text(scene_));  // streamed in pieces, same bytes as in memory
    EXPECT_EQ(Lines(text).size(), 2u + 2u + 1u + 90000u + 2u + 6u + 3u);
}

}  // namespace
