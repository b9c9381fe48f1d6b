#include "mapdata/peak_list.h"

#include <cmath>

#include "export/atomic_file.h"
#include "mapdata/eld_error.h"
#include "mapdata/geometry.h"
#include "mapdata/number_field.h"

namespace eld {

namespace {

// floor(v * 1e6) / 1e6 in double: the package reads six decimals, and cutting
// downward keeps a peak on the same side of a cell edge as the picked point.
float CutToSixDecimals(double v) {
    return static_cast<float>(std::floor(v * 1000000.0) / 1000000.0);
}

}  // namespace

std::array<float, 3> PeakFractional(const SceneState& s, int n) {
    const Matrix3 inv = InvertMatrix3(s.map.CellMatrix);
    const float* p = s.peaks.PeakList[n];
    std::array<float, 3> f{};
    for (int i = 0; i < 3; ++i) {
        // Single-precision sums as the scene itself is single precision.
        float sum = 0.0f;
        for (int j = 0; j < 3; ++j) sum += inv[i][j] * p[j];
        f[i] = CutToSixDecimals(static_cast<double>(sum + s.map.CellShift[i]));
    }
    return f;
}

std::string PeakLine(int number, const std::array<float, 3>& f) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(f[i]))
            fail("peak " + std::to_string(number) + ": its fractional " + "XYZ"[i] +
                 " coordinate is " + (std::isnan(f[i]) ? "nan" : "inf") +
                 ", which a peak-list file cannot hold; the peak list was not written");
    std::string line = "ATOM Q ";
    // The peak number is a whole number in the same sign/blank frame.
    line += ' ' + std::to_string(number) + ' ';
    line += "  X=";
    line += NumberField(f[0]);
    line += " Y=";
    line += NumberField(f[1]);
    line += " Z=";
    line += NumberField(f[2]);
    return line;
}

std::string PeakListText(const SceneState& s) {
    std::string text;
    for (int n = 0; n < s.peaks.PeakCount && n < kMaxPeaks; ++n) {
        text += PeakLine(n + 1, PeakFractional(s, n));
        text += "\r\n";
    }
    return text;
}

void WritePeakListFile(const std::string& path, const std::string& text) {
    AtomicWrite(path, text);
}

}  // namespace eld
