#include "mapdata/read_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "mapdata/map_read_common.h"

namespace eld {

namespace mapread {

void BadDensityValue(float v, const std::string& name, int i1, int i2, int i3) {
    if (v > 10000.0f) fail_fatal("Your input data looks strange, ELD > 10000");
    if (v < -10000.0f) fail_fatal("Your input data looks strange, ELD < -10000");
    fail(name + ": the density value at grid point (" + std::to_string(i1) + ", " +
         std::to_string(i2) + ", " + std::to_string(i3) + ") is not a number (NaN)");
}

void CheckGridPoints(long long n, int axis, const std::string& name) {
    if (n < 1 || n > kMaxGridPoints)
        fail(name + ": the grid point count along axis " + std::to_string(axis) + " is " +
             std::to_string(n) + "; it must be 1 to " + std::to_string(kMaxGridPoints));
}

void CheckAtomCount(long long n, const std::string& name) {
    if (n > kMaxAtoms)
        fail(name + ": the atom count is " + std::to_string(n) + "; at most " +
             std::to_string(kMaxAtoms) + " atoms can be shown");
}

void CheckFinite(float v, const char* what, const std::string& name) {
    if (!std::isfinite(v)) fail(name + ": " + what + " is not a finite number");
}

void CheckGridExtent(const MapGridRecord& g, const std::string& name) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    for (int a = 0; a < 3; ++a) {
        const double origin = g.GridOrigin[a], step = g.GridStep[a], n = g.GridPoints[a];
        if (!(std::fabs(step * n) <= kLargest && std::fabs(origin + step * n) <= kLargest))
            fail(name + ": the grid along axis " + std::to_string(a + 1) + " (origin " +
                 std::to_string(g.GridOrigin[a]) + ", step " + std::to_string(g.GridStep[a]) +
                 ", " + std::to_string(int(n)) + " points) reaches beyond the float range");
    }
}

void Moments::Add(const float* p, std::size_t n) {
    if (n == 0) return;
    if (count == 0) shift = p[0];
    count += n;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        for (int l = 0; l < 4; ++l) {
            const double v = double(p[k + l]) - shift;
            sum[l] += v;
            sq[l] += v * v;
        }
    for (; k < n; ++k) {
        const double v = double(p[k]) - shift;
        sum[0] += v;
        sq[0] += v * v;
    }
}

void Moments::Finish(MapGridRecord& g) const {
    if (count == 0) return;
    const double mean = (sum[0] + sum[1] + sum[2] + sum[3]) / double(count);
    const double mean_sq = (sq[0] + sq[1] + sq[2] + sq[3]) / double(count);
    g.DensityMean = shift + mean;
    g.DensityRms = std::sqrt(std::max(0.0, mean_sq - mean * mean));
}

void SetMeanAndRms(SceneState& t) {
    const DensityGridArray& d = t.map.DensityGrid;
    Moments m;
    for (int i1 = 1; i1 <= d.n1; ++i1)
        for (int i2 = 1; i2 <= d.n2; ++i2) m.Add(d.values.data() + d.Index(i1, i2, 1), d.n3);
    m.Finish(t.map.MapGrid);
}

void PlaceAndCheck(SceneState& t, const std::string& name) {
    PlaceAtomsAndCell(t);
    for (int n = 0; n < t.map.AtomCount; ++n)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(t.map.AtomData[n][c]))
                fail(name + ": atom " + std::to_string(n + 1) +
                     " lands at a position that is not finite (cell matrix too large?)");
    for (const XYZ& p : t.map.CellCorners)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            fail(name + ": a unit-cell corner lands at a position that is not finite");
}

void CommitMap(SceneState& s, SceneState& t) {
    s.map.MapGrid = t.map.MapGrid;
    s.map.DensityGrid = std::move(t.map.DensityGrid);
    s.map.CellMatrix = t.map.CellMatrix;
    for (int i = 0; i < 3; ++i) s.map.CellShift[i] = t.map.CellShift[i];
    for (int i = 0; i < 6; ++i) s.map.CellParameters[i] = t.map.CellParameters[i];
    for (int i = 0; i < 8; ++i) s.map.CellCorners[i] = t.map.CellCorners[i];
    s.map.AtomCount = t.map.AtomCount;
    s.map.AtomNames = std::move(t.map.AtomNames);
    s.map.AtomData = std::move(t.map.AtomData);
    s.map.AtomLabels.clear();
    s.map.BondList.clear();
    s.map.BondCount = 0;
}

}  // namespace mapread

void MatrixTimesVector(const Matrix3& m, const float v[3], float out[3]) {
    float r[3];
    for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    for (int i = 0; i < 3; ++i) out[i] = r[i];
}

XYZ FractionalToScene(const SceneState& s, const float p[3]) {
    float d[3] = {p[0] - s.map.CellShift[0], p[1] - s.map.CellShift[1], p[2] - s.map.CellShift[2]};
    float q[3];
    MatrixTimesVector(s.map.CellMatrix, d, q);
    return XYZ{q[0], q[1], q[2]};
}

void PlaceAtomsAndCell(SceneState& s) {
    for (int n = 0; n < s.map.AtomCount; ++n) {
        float p[3] = {s.map.AtomData[n][0], s.map.AtomData[n][1], s.map.AtomData[n][2]};
        XYZ q = FractionalToScene(s, p);
        s.map.AtomData[n][0] = q.x;
        s.map.AtomData[n][1] = q.y;
        s.map.AtomData[n][2] = q.z;
    }
    static const float kCorners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                         {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int c = 0; c < 8; ++c) s.map.CellCorners[c] = FractionalToScene(s, kCorners[c]);
}

std::string MapFormatName(const std::string& path) {
    if (path.size() < 3) return "";
    std::string ext = path.substr(path.size() - 3);
    if (ext == "mt1" || ext == "MT1") return "mt1";
    if (ext == "fou" || ext == "FOU") return "fou";
    if (ext == "grd" || ext == "GRD") return "grd";
    return "";
}

MapReader ReaderForExtension(const std::string& path) {
    std::string f = MapFormatName(path);
    if (f == "mt1") return &ReadMapMt1;
    if (f == "fou") return &ReadMapFou;
    if (f == "grd") return &ReadMapGrd;
    return nullptr;
}

namespace {

[[noreturn]] void StrangeExtension(const std::string& path) {
    std::string ext = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    fail(path + ": the extension \"" + ext +
         "\" is not a map format (mt1, fou or grd, all lower or all upper case)");
}

}  // namespace

void ReadMapFile(SceneState& s, const std::string& path) {
    MapReader r = ReaderForExtension(path);
    if (!r) StrangeExtension(path);
    r(s, path);
}

void ReadMapFileBuffer(SceneState& s, std::string_view bytes, const std::string& name) {
    std::string f = MapFormatName(name);
    if (f == "mt1") return ReadMapMt1Buffer(s, bytes, name);
    if (f == "fou") return ReadMapFouBuffer(s, bytes, name);
    if (f == "grd") return ReadMapGrdBuffer(s, bytes, name);
    StrangeExtension(name);
}

namespace {

using FileReader = void (*)(SceneState&, InputFile&);

// A grid too large for the memory left becomes an error naming the file.
void ReadGuarded(FileReader r, SceneState& s, InputFile& file) {
    try {
        r(s, file);
    } catch (const std::bad_alloc&) {
        file.FailRead("not enough memory for its grid (" + std::to_string(file.Size()) +
                      " bytes of file)");
    }
}

void ReadPath(FileReader r, SceneState& s, const std::string& path) {
    InputFile file(path, "map file");
    ReadGuarded(r, s, file);
}

void ReadBytes(FileReader r, SceneState& s, std::string_view bytes, const std::string& name) {
    InputFile file(bytes, name, "map file");
    ReadGuarded(r, s, file);
}

}  // namespace

void ReadMapMt1(SceneState& s, const std::string& path) {
    ReadPath(&ReadMapMt1From, s, path);
}
void ReadMapFou(SceneState& s, const std::string& path) {
    ReadPath(&ReadMapFouFrom, s, path);
}
void ReadMapGrd(SceneState& s, const std::string& path) {
    ReadPath(&ReadMapGrdFrom, s, path);
}
void ReadMapMt1Buffer(SceneState& s, std::string_view bytes, const std::string& name) {
    ReadBytes(&ReadMapMt1From, s, bytes, name);
}
void ReadMapFouBuffer(SceneState& s, std::string_view bytes, const std::string& name) {
    ReadBytes(&ReadMapFouFrom, s, bytes, name);
}
void ReadMapGrdBuffer(SceneState& s, std::string_view bytes, const std::string& name) {
    ReadBytes(&ReadMapGrdFrom, s, bytes, name);
}

}  // namespace eld
