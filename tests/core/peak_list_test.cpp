// The peak list file, byte for byte: the line layout, the conversion back to
// fractional coordinates, the six-decimal cut.
#include "mapdata/peak_list.h"

#include <gtest/gtest.h>

#include <cmath>

namespace eld {
namespace {

SceneState IdentityCell() {
    SceneState s;
    s.map.CellMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    return s;
}

void AddPeak(SceneState& s, float x, float y, float z) {
    s.peaks.PeakList[s.peaks.PeakCount][0] = x;
    s.peaks.PeakList[s.peaks.PeakCount][1] = y;
    s.peaks.PeakList[s.peaks.PeakCount][2] = z;
    ++s.peaks.PeakCount;
}

TEST(PeakListText, ExampleLineOfAGrdMap) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .25  Y= .5  Z=-.125 \r\n");
}

TEST(PeakListText, NumbersRunFromOneAndTwoDigitNumbersKeepTheLayout) {
    SceneState s = IdentityCell();
    EXPECT_EQ(PeakListText(s), "");  // no peaks, no lines
    for (int n = 0; n < 10; ++n) AddPeak(s, 1.0f + n, 0.0f, 2.5f);
    const std::string text = PeakListText(s);
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "ATOM Q  1   X= 1  Y= 0  Z= 2.5 ");
    EXPECT_EQ(lines[9], "ATOM Q  10   X= 10  Y= 0  Z= 2.5 ");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "no bare LF";
}

TEST(PeakFractional, GrdMapAddsTheCellShiftToTheScenePosition) {
    SceneState s = IdentityCell();
    s.map.CellShift[0] = 0.5f;
    s.map.CellShift[1] = -1.0f;
    s.map.CellShift[2] = 2.0f;
    AddPeak(s, 0.25f, 0.25f, -0.75f);
    auto f = PeakFractional(s, 0);
    EXPECT_FLOAT_EQ(f[0], 0.75f);
    EXPECT_FLOAT_EQ(f[1], -0.75f);
    EXPECT_FLOAT_EQ(f[2], 1.25f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .75  Y=-.75  Z= 1.25 \r\n");
}

TEST(PeakFractional, UndoesAnObliqueCellMatrix) {
    // Scene = M * (f - shift) with a sheared cell; the inverse must be applied
    // row by column in the right order for the file to hold f again.
    SceneState s;
    s.map.CellMatrix = {{{2, 1, 0}, {0, 2, 0}, {0, 0.5f, 1}}};
    s.map.CellShift[0] = 0.0f;
    s.map.CellShift[1] = 0.0f;
    s.map.CellShift[2] = 0.0f;
    // f = (1, 1, 1): p = (3, 2, 1.5).
    AddPeak(s, 3.0f, 2.0f, 1.5f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= 1  Y= 1  Z= 1 \r\n");
}

TEST(PeakFractional, PeakOnAnAtomGivesTheAtomsCoordinatesCutToSixDecimals) {
    // A monoclinic-like cell and an atom with seven decimals, placed in the
    // scene the way the readers place atoms: M * (f - shift).
    SceneState s;
    const double a = 10.5, b = 7.25, c = 12.0, beta = 1.9;
    s.map.CellMatrix = {{{static_cast<float>(a), 0, static_cast<float>(c * std::cos(beta))},
                         {0, static_cast<float>(b), 0},
                         {0, 0, static_cast<float>(c * std::sin(beta))}}};
    s.map.CellShift[0] = 0.5f;
    s.map.CellShift[1] = 0.5f;
    s.map.CellShift[2] = 0.5f;
    const double f[3] = {0.3141595, 0.2718285, -0.1414215};
    float p[3];
    for (int i = 0; i < 3; ++i) {
        double sum = 0;
        for (int j = 0; j < 3; ++j) sum += s.map.CellMatrix[i][j] * (f[j] - s.map.CellShift[j]);
        p[i] = static_cast<float>(sum);
    }
    AddPeak(s, p[0], p[1], p[2]);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .314159  Y= .271828  Z=-.141422 \r\n");
}

TEST(PeakFractional, CutsTowardMinusInfinityInDoublePrecision) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.1234567f, -0.1234567f, 0.5f);
    // The float nearest 0.7 lies just below it, and the cut is taken of that
    // float in double precision.
    AddPeak(s, 0.7f, -0.7f, 3.0f);
    auto f1 = PeakFractional(s, 0);
    EXPECT_FLOAT_EQ(f1[0], 0.123456f);
    EXPECT_FLOAT_EQ(f1[1], -0.123457f) << "a negative value moves away from zero";
    EXPECT_EQ(f1[2], 0.5f);
    auto f2 = PeakFractional(s, 1);
    EXPECT_FLOAT_EQ(f2[0], 0.699999f);
    EXPECT_FLOAT_EQ(f2[1], -0.7f);
    EXPECT_EQ(PeakListText(s),
              "ATOM Q  1   X= .123456  Y=-.123457  Z= .5 \r\n"
              "ATOM Q  2   X= .699999  Y=-.7  Z= 3 \r\n");
}

}  // namespace
}  // namespace eld
