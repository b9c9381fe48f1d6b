// Marching-cubes iso-surfaces into the fixed triangle store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mapdata/scene_state.h"

namespace eld {

// The capacity message; thrown as EldError(Fatal) by the extraction.
inline constexpr const char* kTooManyTrianglesMessage =
    "Sorry, to complicated scene, Number of reguired triangles > 1 200 000";

// Reads the case table. Throws EldError(Fatal) naming the file (and the case)
// when it is missing, unreadable, short or holds something that is not a
// usable 16-bit number; EldError(FatalSilent) naming the file and the case when
// a record separator is not -99. A negative count gives the case no cut edges
// or no triangles.
void ReadCellTable(CellTable& t, const std::string& path);  // CellTable: scene_state.h

// 1 when value lies strictly above the limit; a value equal to it is below.
inline std::int16_t IsAboveLimit(float limit, float value) {
    return value > limit ? 1 : 0;
}

// Where the limit crosses an edge from value a (start) to b (end), in float.
inline float EdgeFraction(float a, float b, float limit) {
    return (a - limit) / (a - b);
}

// The part of the map an extraction visits. With radius > 0 only the cubes
// (squares) whose centre lies within radius of centre, the distance taken in
// double; otherwise every cube. A cube's centre is its corner 0 as the
// extraction places it (GridOrigin + (i - 1) GridStep in float) plus half a
// step on each axis, in double; a square's is its corner 1 plus half a step
// on axes 1 and 2, at the section's height.
struct MapRegion {
    double centre[3] = {0, 0, 0};
    double radius = 0;
};
inline bool WholeMap(const MapRegion& r) {
    return !(r.radius > 0);
}
inline double DistanceSquared(const MapRegion& r, double x, double y, double z) {
    return (x - r.centre[0]) * (x - r.centre[0]) + (y - r.centre[1]) * (y - r.centre[1]) +
           (z - r.centre[2]) * (z - r.centre[2]);
}
inline bool CentreInRegion(const MapRegion& r, double x, double y, double z) {
    return WholeMap(r) || DistanceSquared(r, x, y, z) <= r.radius * r.radius;
}
// The region of the scene's stores: MapRadius about RegionCentre.
MapRegion ExtractionRegion(const SceneState& s);

// The extraction of layer L reports (L, 0) when it starts, (L, 100 i / (N1 - 1))
// before slab i of axis 1 (i = 1..N1-1, in order, also when N2 or N3 is 1) and
// (L, kLayerDone) when the layer is complete; the viewer shows it in the
// progress window, eldmap on stderr. Always called on the calling thread.
inline constexpr int kLayerDone = -1;
using ProgressFn = std::function<void(int layer, int percent)>;

// The extraction itself, into any store of `capacity` triangles: the cubes
// of `region` in loop order (axis 1 outermost, axis 3 innermost), each cube's
// triangles in table order. Returns the triangle count; throws EldError(Fatal,
// kTooManyTrianglesMessage) when more than `capacity` triangles are needed.
// threads <= 0 picks one per core (one for small grids); the output does not
// depend on it. progress gets 100 i / (N1 - 1) before each slab i of axis 1
// that holds cubes of the region, in slab order, on the calling thread.
int ExtractSurface(const MapGridRecord& grid, const DensityGridArray& density,
                   const CellTable& table, float limit, SurfaceTriangle* out, int capacity,
                   int threads = 0, const std::function<void(int percent)>& progress = {},
                   const MapRegion& region = {});

// A surface in stores that grow with the triangles found (batch work).
struct SurfaceMesh {
    std::vector<SurfaceTriangle> triangles;
    // When asked for: three per triangle, the grid edge each vertex lies on
    // (GridEdgeId). The cubes that share a grid edge give its vertex the same
    // id, though their float arithmetic may place it a few ulps apart.
    std::vector<std::uint64_t> edges;
};

// The grid edge that starts at grid point (i, j, k) (counted from 1) and runs
// along `axis` (0 = x), in a grid of n2 x n3 points across axis 1.
inline std::uint64_t GridEdgeId(int i, int j, int k, int axis, int n2, int n3) {
    return ((std::uint64_t(i - 1) * std::uint64_t(n2) + std::uint64_t(j - 1)) * std::uint64_t(n3) +
            std::uint64_t(k - 1)) *
               3 +
           std::uint64_t(axis);
}

// The message when a surface needs more than `max` triangles.
std::string TooManyTrianglesMessage(std::int64_t max);

// The same triangles in the same order as ExtractSurface, into out (replaced;
// the vectors keep their capacity for the next call). maxTriangles <= 0 means
// no limit; above a positive one EldError(Fatal, TooManyTrianglesMessage(max))
// is thrown. withEdges also fills out.edges.
void ExtractSurfaceMesh(const MapGridRecord& grid, const DensityGridArray& density,
                        const CellTable& table, float limit, SurfaceMesh& out, bool withEdges,
                        std::int64_t maxTriangles = 0, int threads = 0,
                        const std::function<void(int percent)>& progress = {},
                        const MapRegion& region = {});

// Fills s.surfaces.Triangles[L] from index 0 and sets s.surfaces.TriangleCount[L]. Reads the case
// table from s.program.DataFolder on first use. Throws EldError(Fatal, "Sorry, to
// complicated scene, Number of reguired triangles > 1 200 000") when the layer
// needs more than 400 000 triangles. With s.surfaces.TriangleCapacity other than
// 400 000 (eldmap) the store grows as needed up to that capacity (0: no limit)
// and the message is TooManyTrianglesMessage.
// The case table lives in s.surfaces.CellTables and is read once per run.
// Only the cubes of ExtractionRegion(s).
void GenerateLayerSurface(SceneState& s, float limit, int L, const ProgressFn& progress = {});

// The extraction half of the viewer's GenerateFields: the surface of every
// visible layer, then, when ShowContourMap is on, the contours of all three
// limits, each within ExtractionRegion(s); clears SceneListValid. Returns false when a contour had
// more segments than its store holds (the store keeps the first 100 000).
bool ExtractFields(SceneState& s, const ProgressFn& progress = {});

}  // namespace eld
