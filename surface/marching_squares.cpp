// Marching squares in one grid section (axis 3 = ContourLayer).
// Crossing points are formed as x + t*dx in double and rounded once to float;
// a fused multiply-add would round differently, so none is contracted
// (-ffp-contract=off, set for this file in CMakeLists.txt).

#include "surface/marching_squares.h"

#include "surface/marching_cubes.h"

namespace eld {
namespace {

// Segments of each square case as (first edge, second edge) pairs; the two
// saddle cases cut off their two corners above the limit separately.
struct SquareCase {
    int count;
    int edge[2][2];
};
constexpr SquareCase kSquareCases[16] = {
    {0, {}},                // 0
    {1, {{1, 4}}},          // 1
    {1, {{1, 2}}},          // 2
    {1, {{4, 2}}},          // 3
    {1, {{2, 3}}},          // 4
    {2, {{1, 4}, {2, 3}}},  // 5
    {1, {{1, 3}}},          // 6
    {1, {{4, 3}}},          // 7
    {1, {{4, 3}}},          // 8
    {1, {{1, 3}}},          // 9
    {2, {{1, 2}, {3, 4}}},  // 10
    {1, {{2, 3}}},          // 11
    {1, {{2, 4}}},          // 12
    {1, {{1, 2}}},          // 13
    {1, {{1, 4}}},          // 14
    {0, {}},                // 15
};

struct Square {
    float X, Y, Z, dx, dy;
    float D[5];  // D[1..4]
};

// The crossing on one edge; the moving coordinate is formed in double and
// stored as float.
XYZ SquareEdgePoint(const Square& q, float limit, int edge) {
    XYZ p{q.X, q.Y, q.Z};
    switch (edge) {
        case 1: {
            float t = EdgeFraction(q.D[1], q.D[2], limit);
            p.x = static_cast<float>(double(q.X) + double(t) * double(q.dx));
            break;
        }
        case 2: {
            float t = EdgeFraction(q.D[2], q.D[3], limit);
            p.x = static_cast<float>(double(q.X) + double(q.dx));
            p.y = static_cast<float>(double(q.Y) + double(t) * double(q.dy));
            break;
        }
        case 3: {
            float t = EdgeFraction(q.D[4], q.D[3], limit);
            p.x = static_cast<float>(double(q.X) + double(t) * double(q.dx));
            p.y = static_cast<float>(double(q.Y) + double(q.dy));
            break;
        }
        case 4: {
            float t = EdgeFraction(q.D[1], q.D[4], limit);
            p.y = static_cast<float>(double(q.Y) + double(t) * double(q.dy));
            break;
        }
    }
    return p;
}

}  // namespace

bool GenerateContour(SceneState& s, float limit, int L) {
    if (L < 1 || L > kLayers) return true;
    std::vector<ContourSegment>& store = s.surfaces.ContourSegments[L];
    if (store.size() != static_cast<std::size_t>(kMaxSegmentsPerLimit))
        store.assign(kMaxSegmentsPerLimit, ContourSegment{});
    int& count = s.surfaces.ContourSegmentCount[L];
    count = 0;

    const MapGridRecord& g = s.map.MapGrid;
    const int n1 = g.N(1), n2 = g.N(2), c = s.surfaces.ContourLayer;
    const DensityGridArray& d = s.map.DensityGrid;
    if (n1 < 2 || n2 < 2 || c < 1 || c > d.n3 || n1 > d.n1 || n2 > d.n2) return true;

    Square q;
    q.dx = g.GridStep[0];
    q.dy = g.GridStep[1];
    q.Z = g.GridOrigin[2] + static_cast<float>(c - 1) * g.GridStep[2];
    const MapRegion region = ExtractionRegion(s);
    const bool whole = WholeMap(region);
    for (int a = 1; a < n1; ++a) {
        for (int b = 1; b < n2; ++b) {
            q.D[1] = d.at(a, b, c);
            q.D[2] = d.at(a + 1, b, c);
            q.D[3] = d.at(a + 1, b + 1, c);
            q.D[4] = d.at(a, b + 1, c);
            const int squareCase = IsAboveLimit(limit, q.D[1]) + 2 * IsAboveLimit(limit, q.D[2]) +
                                   4 * IsAboveLimit(limit, q.D[3]) +
                                   8 * IsAboveLimit(limit, q.D[4]);
            const SquareCase& sc = kSquareCases[squareCase];
            if (sc.count == 0) continue;
            q.X = g.GridOrigin[0] + static_cast<float>(a - 1) * q.dx;
            q.Y = g.GridOrigin[1] + static_cast<float>(b - 1) * q.dy;
            if (!whole && !CentreInRegion(region, double(q.X) + 0.5 * double(q.dx),
                                          double(q.Y) + 0.5 * double(q.dy), double(q.Z)))
                continue;
            for (int n = 0; n < sc.count; ++n) {
                if (count >= kMaxSegmentsPerLimit) return false;
                ContourSegment& seg = store[count++];
                seg.end[0] = SquareEdgePoint(q, limit, sc.edge[n][0]);
                seg.end[1] = SquareEdgePoint(q, limit, sc.edge[n][1]);
            }
        }
    }
    return true;
}

}  // namespace eld
