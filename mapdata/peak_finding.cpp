#include "mapdata/peak_finding.h"

#include <cmath>
#include <cstdio>

#include "mapdata/peak_search.h"

namespace eld {

namespace {

// Distance between two scene points, the nearer lattice copy counted when the
// map has a cell (a found peak may be placed at another copy than a picked one).
double Apart(const SceneState& s, const Vec3& p, const Vec3& q) {
    Vec3 d{p[0] - q[0], p[1] - q[1], p[2] - q[2]};
    if (MapHasCell(s)) {
        const Vec3 fp = SceneToFractional(s, p), fq = SceneToFractional(s, q);
        Vec3 f{};
        for (int a = 0; a < 3; ++a) f[a] = fp[a] - fq[a] - std::nearbyint(fp[a] - fq[a]);
        const Vec3 origin = FractionalToSceneD(s, Vec3{0, 0, 0});
        const Vec3 r = FractionalToSceneD(s, f);
        d = {r[0] - origin[0], r[1] - origin[1], r[2] - origin[2]};
    }
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

}  // namespace

FoundPeaksReport AddFoundPeaks(SceneState& s) {
    FoundPeaksReport r;
    for (int L = 1; L <= kLayers; ++L)
        if (On(s.layers.LayerVisible[L]) && (r.layer == 0 || s.layers.LayerLimit[L] < r.level))
            r.layer = L, r.level = s.layers.LayerLimit[L];
    if (r.layer == 0) return r;

    double tolerance = 0;
    for (float step : s.map.MapGrid.GridStep) tolerance = std::max(tolerance, double(std::fabs(step)));
    ScenePeaks& list = s.peaks;
    // Enough candidates to fill the list even if every listed peak is found again.
    const auto found = FindPeaks(s, {r.level, kMaxPeaks + list.PeakCount, {}});
    for (const FoundPeak& p : found) {
        bool known = false;
        for (int n = 0; n < list.PeakCount && !known; ++n)
            known = Apart(s, p.Position,
                          Vec3{list.PeakList[n][0], list.PeakList[n][1], list.PeakList[n][2]}) <
                    tolerance;
        if (known) {
            ++r.already;
            continue;
        }
        if (list.PeakCount >= kMaxPeaks) {
            r.full = true;
            break;
        }
        for (int a = 0; a < 3; ++a) list.PeakList[list.PeakCount][a] = float(p.Position[a]);
        ++list.PeakCount;
        ++r.added;
    }
    return r;
}

std::string FoundPeaksText(const SceneState& s, const FoundPeaksReport& r) {
    if (r.layer == 0) return "Find Peaks: no layer is shown; peaks are searched above the lowest one shown";
    const MapGridRecord& g = s.map.MapGrid;
    std::string level = Number(r.level) + " (layer " + std::to_string(r.layer);
    if (g.DensityRms > 0) level += ", " + Number((r.level - g.DensityMean) / g.DensityRms) + " \u03c3";
    level += ")";
    std::string text = "Find Peaks: " + std::to_string(r.added) + (r.added == 1 ? " peak" : " peaks") +
                       " above " + level + " added to the peak list, now " +
                       std::to_string(s.peaks.PeakCount) + " in all";
    if (r.already > 0) text += "; " + std::to_string(r.already) + " found already listed";
    if (r.full) text += "; the list is full (" + std::to_string(kMaxPeaks) + " peaks)";
    return text;
}

}  // namespace eld
