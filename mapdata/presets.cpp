#include "mapdata/presets.h"

#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/text_reader.h"

namespace eld {

void LoadLayerLimitPresets(SceneState& s) {
    for (LayerLimitPreset& p : s.layers.LayerLimitPresets) p = LayerLimitPreset{};
    const std::string path = DataFilePath(s.program.DataFolder, "layer_limit_presets.txt");
    const std::string text = ReadWholeFile(path, "layer-limit preset file");
    TextReader in(text, path);
    LayerLimitPreset read[3];
    int lines = 0;
    auto next_line = [&](const char* what) {
        if (in.AtEnd())
            fail(path + ": the file has " + std::to_string(lines) +
                 " lines; twelve are needed (a description and three limits per preset)");
        ++lines;
        return in.ReadLine(what);
    };
    for (LayerLimitPreset& p : read) {
        p.Description = std::string(next_line("a preset description"));
        for (double& limit : p.Limit) limit = LeadingNumber(next_line("a preset limit"));
    }
    for (int p = 0; p < 3; ++p) s.layers.LayerLimitPresets[p] = read[p];
}

Matrix3 InvertMatrix3(const Matrix3& a) {
    // 1-based names for the textbook formula.
    auto A = [&](int i, int j) { return a[i - 1][j - 1]; };
    const float det = A(1, 1) * A(2, 2) * A(3, 3) + A(2, 1) * A(3, 2) * A(1, 3) +
                      A(3, 1) * A(1, 2) * A(2, 3) - A(3, 1) * A(2, 2) * A(1, 3) -
                      A(1, 1) * A(3, 2) * A(2, 3) - A(2, 1) * A(1, 2) * A(3, 3);
    // Cofactor C(i,j) = (-1)^(i+j) * minor; the rows and columns left after
    // removing i and j, taken cyclically, carry the sign already.
    auto cofactor = [&](int i, int j) {
        const int r1 = i % 3 + 1, r2 = (i + 1) % 3 + 1;
        const int c1 = j % 3 + 1, c2 = (j + 1) % 3 + 1;
        return A(r1, c1) * A(r2, c2) - A(r1, c2) * A(r2, c1);
    };
    const float inv_det = 1.0f / det;
    Matrix3 b{};
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) b[i - 1][j - 1] = cofactor(j, i) * inv_det;  // adjugate
    return b;
}

void InvertRotationPart(const float m[16], float n[16]) {
    Matrix3 a{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = m[4 * r + c];
    const Matrix3 b = InvertMatrix3(a);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) n[4 * r + c] = b[r][c];
}

}  // namespace eld
