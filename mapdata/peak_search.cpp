#include "mapdata/peak_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "mapdata/foreign_map.h"

namespace eld {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double Dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Mat3d CellMatrixD(const SceneState& s) {
    Mat3d m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = s.map.CellMatrix[r][c];
    return m;
}

// The grid's sizes and strides, for walking DensityGrid by flat index.
struct GridView {
    const float* v;
    int n[3];
    std::ptrdiff_t stride[3];
    double origin[3], step[3];

    explicit GridView(const SceneState& s)
        : v(s.map.DensityGrid.values.data()),
          n{s.map.DensityGrid.n1, s.map.DensityGrid.n2, s.map.DensityGrid.n3},
          stride{std::ptrdiff_t(n[1] + 1) * (n[2] + 1), n[2] + 1, 1} {
        for (int a = 0; a < 3; ++a) {
            origin[a] = s.map.MapGrid.GridOrigin[a];
            step[a] = s.map.MapGrid.GridStep[a];
        }
    }
    std::ptrdiff_t Index(const int i[3]) const {
        return i[0] * stride[0] + i[1] * stride[1] + i[2];
    }
    void Point(std::ptrdiff_t index, int i[3]) const {
        i[0] = static_cast<int>(index / stride[0]);
        i[1] = static_cast<int>(index % stride[0] / stride[1]);
        i[2] = static_cast<int>(index % stride[1]);
    }
    bool Empty() const { return n[0] < 1 || n[1] < 1 || n[2] < 1 || !v; }
    // Scene coordinate of a (fractional) 1-based grid position along axis a.
    double Scene(int a, double u) const { return origin[a] + (u - 1.0) * step[a]; }
    double GridCoord(int a, double x) const { return (x - origin[a]) / step[a] + 1.0; }
};

// Solves the n x n system a * x = b in place (partial pivoting); false when
// singular.
template <int N>
bool Solve(double (&a)[N][N], double (&b)[N], int n) {
    for (int c = 0; c < n; ++c) {
        int p = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
        if (std::fabs(a[p][c]) < 1e-12) return false;
        std::swap(a[p], a[c]);
        std::swap(b[p], b[c]);
        for (int r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < n; ++k) a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        for (int k = r + 1; k < n; ++k) b[r] -= a[r][k] * b[k];
        b[r] /= a[r][r];
    }
    return true;
}

struct Offset {
    double d[3] = {0, 0, 0};  // grid steps
    double height = 0;
};

// The top of the quadratic through grid point i and its neighbours along the
// `active` axes (each with both neighbours in the grid): gradient and Hessian
// by central differences, which a Gaussian blob's logarithm, a quadratic,
// fits exactly.
Offset RefineAt(const GridView& g, const int i[3], const bool active[3]) {
    int axes[3], m = 0;
    for (int a = 0; a < 3; ++a)
        if (active[a]) axes[m++] = a;
    const std::ptrdiff_t centre = g.Index(i);
    Offset out;
    out.height = g.v[centre];
    if (m == 0) return out;

    // The 3^m neighbourhood; its logarithm when it is all positive.
    bool positive = true;
    for (int s = 0, count = m == 1 ? 3 : m == 2 ? 9 : 27; s < count; ++s) {
        std::ptrdiff_t idx = centre;
        for (int k = 0, r = s; k < m; ++k, r /= 3) idx += (r % 3 - 1) * g.stride[axes[k]];
        positive = positive && g.v[idx] > 0;
    }
    auto at = [&](int k, int dk, int l = 0, int dl = 0) {
        const double v = g.v[centre + dk * g.stride[axes[k]] + dl * g.stride[axes[l]]];
        return positive ? std::log(v) : v;
    };
    const double c = at(0, 0);
    double grad[3] = {}, hess[3][3] = {}, d[3] = {};
    for (int k = 0; k < m; ++k) {
        grad[k] = 0.5 * (at(k, 1) - at(k, -1));
        hess[k][k] = at(k, 1) - 2 * c + at(k, -1);
        for (int l = 0; l < k; ++l)
            hess[k][l] = hess[l][k] =
                0.25 * (at(k, 1, l, 1) - at(k, 1, l, -1) - at(k, -1, l, 1) + at(k, -1, l, -1));
    }
    // A maximum needs a negative definite Hessian (leading minors alternate)
    // and a top within one step.
    Mat3d h3{};
    for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) h3[k][l] = k < m && l < m ? hess[k][l] : (k == l ? -1 : 0);
    bool ok = hess[0][0] < 0 && (m < 2 || hess[0][0] * hess[1][1] - hess[0][1] * hess[1][0] > 0) &&
              Determinant3(h3) < 0;
    if (ok) {
        double h[3][3], r[3];
        for (int k = 0; k < m; ++k) {
            r[k] = -grad[k];
            for (int l = 0; l < m; ++l) h[k][l] = hess[k][l];
        }
        ok = Solve(h, r, m);
        for (int k = 0; ok && k < m; ++k) ok = std::fabs(d[k] = r[k]) <= 1.0;
    }
    if (!ok)  // then one parabola per axis, at most half a step
        for (int k = 0; k < m; ++k)
            d[k] = hess[k][k] < 0 ? std::clamp(-grad[k] / hess[k][k], -0.5, 0.5) : 0.0;
    double top = c;
    for (int k = 0; k < m; ++k) {
        top += grad[k] * d[k];
        for (int l = 0; l < m; ++l) top += 0.5 * d[k] * hess[k][l] * d[l];
    }
    for (int k = 0; k < m; ++k) out.d[axes[k]] = d[k];
    out.height = std::max(out.height, positive ? std::exp(top) : top);
    return out;
}

RefinedPeak RefineIn(const GridView& g, const int i[3], bool allow_axis3) {
    bool active[3];
    for (int a = 0; a < 3; ++a) active[a] = i[a] > 1 && i[a] < g.n[a];
    active[2] = active[2] && allow_axis3;
    const Offset o = RefineAt(g, i, active);
    RefinedPeak p;
    for (int a = 0; a < 3; ++a) p.Position[a] = g.Scene(a, i[a] + o.d[a]);
    p.Height = o.height;
    return p;
}

// Walks uphill over the 26 neighbours (inside the grid) to a local maximum.
void ClimbToMaximum(const GridView& g, int i[3]) {
    for (;;) {
        const float here = g.v[g.Index(i)];
        int best[3] = {i[0], i[1], i[2]};
        float best_v = here;
        for (int d0 = -1; d0 <= 1; ++d0)
            for (int d1 = -1; d1 <= 1; ++d1)
                for (int d2 = -1; d2 <= 1; ++d2) {
                    const int j[3] = {i[0] + d0, i[1] + d1, i[2] + d2};
                    if (j[0] < 1 || j[1] < 1 || j[2] < 1 || j[0] > g.n[0] || j[1] > g.n[1] ||
                        j[2] > g.n[2])
                        continue;
                    const float v = g.v[g.Index(j)];
                    if (v > best_v) best_v = v, best[0] = j[0], best[1] = j[1], best[2] = j[2];
                }
        if (best_v == here) return;
        for (int a = 0; a < 3; ++a) i[a] = best[a];
    }
}

// Minimises |C * (d - n)| over whole-number n; returns the distance, stores n.
double NearestImage(const Mat3d& c, const Vec3& d, Vec3& shift) {
    const Vec3 r{std::round(d[0]), std::round(d[1]), std::round(d[2])};
    double best = kInf;
    // Rounding alone can miss the nearest copy in an oblique cell.
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b)
            for (int e = -1; e <= 1; ++e) {
                const Vec3 n{r[0] + a, r[1] + b, r[2] + e};
                const Vec3 q = MatVec(c, Vec3{d[0] - n[0], d[1] - n[1], d[2] - n[2]});
                const double len = std::sqrt(Dot(q, q));
                if (len < best) best = len, shift = n;
            }
    return best;
}

Vec3 Apply(const SymmetryOp& op, const Vec3& f) {
    Vec3 out;
    for (int r = 0; r < 3; ++r) out[r] = Dot(op.Rotation[r], f) + op.Translation[r];
    return out;
}

Vec3 Minus(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

// Flat indices of the strict local maxima above `level`, in memory order
// (see GridLocalMaxima).
std::vector<std::ptrdiff_t> ScanMaxima(const GridView& g, double level) {
    std::vector<std::ptrdiff_t> out;
    if (g.Empty()) return out;
    // Neighbour offsets, those before the point in memory first.
    std::ptrdiff_t before[13], after[13];
    int nb = 0, na = 0;
    for (int d0 = -1; d0 <= 1; ++d0)
        for (int d1 = -1; d1 <= 1; ++d1)
            for (int d2 = -1; d2 <= 1; ++d2) {
                const std::ptrdiff_t off = d0 * g.stride[0] + d1 * g.stride[1] + d2;
                if (off < 0) before[nb++] = off;
                if (off > 0) after[na++] = off;
            }
    const double fmax = std::numeric_limits<float>::max();
    const float lv = static_cast<float>(std::clamp(level, -fmax, fmax));
    for (int i1 = 2; i1 < g.n[0]; ++i1)
        for (int i2 = 2; i2 < g.n[1]; ++i2) {
            const std::ptrdiff_t row = i1 * g.stride[0] + i2 * g.stride[1];
            for (int i3 = 2; i3 < g.n[2]; ++i3) {
                const float* p = g.v + row + i3;
                const float v = *p;
                if (!(v > lv)) continue;
                bool top = true;
                for (int k = 0; top && k < 13; ++k) top = v > p[before[k]];
                for (int k = 0; top && k < 13; ++k) top = v >= p[after[k]];
                if (top) out.push_back(row + i3);
            }
        }
    return out;
}

}  // namespace

bool MapHasCell(const SceneState& s) {
    for (int k = 0; k < 3; ++k) {
        const float len = s.map.CellParameters[k], angle = s.map.CellParameters[3 + k];
        if (!(len > 0) || !(angle >= 10 && angle <= 170)) return false;
    }
    const Mat3d c = CellMatrixD(s);
    const double scale =
        s.map.CellParameters[0] * s.map.CellParameters[1] * s.map.CellParameters[2];
    return std::fabs(Determinant3(c)) > 1e-6 * scale;
}

Vec3 SceneToFractional(const SceneState& s, const Vec3& p) {
    const Mat3d c = CellMatrixD(s);
    const Vec3 f = Determinant3(c) != 0 ? MatVec(Inverse3(c, "the cell matrix"), p) : Vec3{};
    return {f[0] + s.map.CellShift[0], f[1] + s.map.CellShift[1], f[2] + s.map.CellShift[2]};
}

Vec3 FractionalToSceneD(const SceneState& s, const Vec3& f) {
    return MatVec(CellMatrixD(s), Vec3{f[0] - s.map.CellShift[0], f[1] - s.map.CellShift[1],
                                       f[2] - s.map.CellShift[2]});
}

std::vector<std::array<int, 3>> GridLocalMaxima(const SceneState& s, double level) {
    const GridView g(s);
    std::vector<std::ptrdiff_t> found = ScanMaxima(g, level);
    auto higher = [&](std::ptrdiff_t a, std::ptrdiff_t b) { return g.v[a] > g.v[b]; };
    std::stable_sort(found.begin(), found.end(), higher);
    std::vector<std::array<int, 3>> out(found.size());
    for (std::size_t k = 0; k < found.size(); ++k) g.Point(found[k], out[k].data());
    return out;
}

RefinedPeak RefineGridPeak(const SceneState& s, int i1, int i2, int i3) {
    const int i[3] = {i1, i2, i3};
    return RefineIn(GridView(s), i, true);
}

std::optional<double> DensityAt(const SceneState& s, const Vec3& p) {
    const GridView g(s);
    if (g.Empty()) return std::nullopt;
    int i[3];
    double t[3];
    for (int a = 0; a < 3; ++a) {
        const double u = g.GridCoord(a, p[a]);
        if (!(u >= 1.0 && u <= g.n[a])) return std::nullopt;
        i[a] = std::min(static_cast<int>(u), std::max(g.n[a] - 1, 1));
        t[a] = g.n[a] > 1 ? u - i[a] : 0.0;
    }
    double sum = 0;
    for (int c = 0; c < 8; ++c) {
        double w = 1;
        int j[3];
        for (int a = 0; a < 3; ++a) {
            const int up = c >> a & 1;
            w *= up ? t[a] : 1 - t[a];
            j[a] = std::min(i[a] + up, g.n[a]);
        }
        if (w != 0) sum += w * g.v[g.Index(j)];
    }
    return sum;
}

std::vector<FoundPeak> FindPeaks(const SceneState& s, const PeakSearchOptions& o) {
    const GridView g(s);
    std::vector<FoundPeak> out;
    if (g.Empty() || o.MaxPeaks <= 0) return out;
    const double mean = s.map.MapGrid.DensityMean, rms = s.map.MapGrid.DensityRms;

    const bool cell = MapHasCell(s);
    const Mat3d cm = CellMatrixD(s);
    // The identity first (lattice translations), whether listed or not.
    std::vector<SymmetryOp> ops(1);
    if (cell)
        for (const SymmetryOp& op : o.Symmetry)
            if (op.Rotation != ops[0].Rotation || op.Translation != ops[0].Translation)
                ops.push_back(op);
    // Copies of one site closer than a grid step are one peak.
    double tolerance = 0;
    for (double st : g.step) tolerance = std::max(tolerance, std::fabs(st));

    std::vector<Vec3> atom_frac(s.map.AtomCount), atom_pos(s.map.AtomCount);
    for (int a = 0; a < s.map.AtomCount; ++a) {
        atom_pos[a] = {s.map.AtomData[a][0], s.map.AtomData[a][1], s.map.AtomData[a][2]};
        if (cell) atom_frac[a] = SceneToFractional(s, atom_pos[a]);
    }

    // Lists a peak unless it is a copy of one listed before.
    std::vector<Vec3> taken;  // fractional (with a cell) or scene positions
    auto take = [&](const RefinedPeak& c) {
        const Vec3 key = cell ? SceneToFractional(s, c.Position) : c.Position;
        for (const Vec3& t : taken)
            for (const SymmetryOp& op : ops) {
                Vec3 n;
                const double d = cell ? NearestImage(cm, Minus(t, Apply(op, key)), n)
                                      : std::sqrt(Dot(Minus(t, key), Minus(t, key)));
                if (d < tolerance) return;
            }
        taken.push_back(key);

        FoundPeak p;
        p.Position = c.Position;
        p.Height = c.Height;
        p.Sigma = rms > 0 ? (c.Height - mean) / rms : 0;
        double best = kInf;
        for (int a = 0; a < s.map.AtomCount; ++a) {
            if (!cell) {
                const Vec3 d = Minus(atom_pos[a], c.Position);
                const double len = std::sqrt(Dot(d, d));
                if (len < best) best = len, p.NearestAtom = a;
                continue;
            }
            // The copy of the peak nearest this atom, over every operation.
            for (const SymmetryOp& op : ops) {
                const Vec3 image = Apply(op, key);
                Vec3 n;
                const double len = NearestImage(cm, Minus(atom_frac[a], image), n);
                if (len < best) {
                    best = len;
                    p.NearestAtom = a;
                    p.Position = FractionalToSceneD(
                        s, Vec3{image[0] + n[0], image[1] + n[1], image[2] + n[2]});
                }
            }
        }
        p.Distance = p.NearestAtom >= 0 ? best : 0;
        p.Fractional = SceneToFractional(s, p.Position);
        out.push_back(p);
    };

    // A top between grid points lies above the grid values around it: taken
    // to be at most twice as far above the mean, so maxima down to half way
    // to the level are refined, and a refined peak is final once no grid
    // maximum still to come can top it.
    auto reach = [&](double v) { return v > mean ? 2 * v - mean : v; };
    const double pre_level = o.MinLevel > mean ? 0.5 * (o.MinLevel + mean) : o.MinLevel;
    auto lower = [](const RefinedPeak& a, const RefinedPeak& b) { return a.Height < b.Height; };
    std::priority_queue<RefinedPeak, std::vector<RefinedPeak>, decltype(lower)> ready(lower);
    const auto full = [&] { return int(out.size()) >= o.MaxPeaks; };
    // Grid maxima highest first, taken from a heap: only as many as needed.
    std::vector<std::ptrdiff_t> maxima = ScanMaxima(g, pre_level);
    auto below = [&](std::ptrdiff_t a, std::ptrdiff_t b) { return g.v[a] < g.v[b]; };
    std::make_heap(maxima.begin(), maxima.end(), below);
    for (auto end = maxima.end(); end != maxima.begin() && !full(); --end) {
        std::pop_heap(maxima.begin(), end, below);
        const double v = g.v[end[-1]];
        for (; !ready.empty() && !full() && ready.top().Height >= reach(v); ready.pop())
            take(ready.top());
        int i[3];
        g.Point(end[-1], i);
        const RefinedPeak p = RefineIn(g, i, true);
        if (p.Height > o.MinLevel) ready.push(p);
    }
    for (; !ready.empty() && !full(); ready.pop()) take(ready.top());
    return out;
}

std::optional<Vec3> FindPeakAlongRay(const SceneState& s, const Vec3& origin, const Vec3& direction,
                                     double limit) {
    const GridView g(s);
    const double len = std::sqrt(Dot(direction, direction));
    if (g.Empty() || !(len > 0)) return std::nullopt;
    const Vec3 dir{direction[0] / len, direction[1] / len, direction[2] / len};
    // Where the ray runs inside the grid's box (slabs).
    double t0 = 0, t1 = kInf, min_step = kInf;
    for (int a = 0; a < 3; ++a) {
        double lo = g.Scene(a, 1), hi = g.Scene(a, g.n[a]);
        if (lo > hi) std::swap(lo, hi);
        if (g.n[a] > 1) min_step = std::min(min_step, std::fabs(g.step[a]));
        if (dir[a] == 0) {
            if (origin[a] < lo || origin[a] > hi) return std::nullopt;
            continue;
        }
        double ta = (lo - origin[a]) / dir[a], tb = (hi - origin[a]) / dir[a];
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
    }
    if (!(t0 <= t1) || !std::isfinite(min_step)) return std::nullopt;

    // Samples a quarter step apart: the first stretch above the limit and its
    // highest sample.
    const double dt = 0.25 * min_step;
    const int samples = static_cast<int>((t1 - t0) / dt) + 1;
    double best_v = -kInf, best_t = 0;
    bool inside = false;
    for (int k = 0; k <= samples; ++k) {
        const double t = std::min(t0 + k * dt, t1);
        const auto v = DensityAt(
            s, Vec3{origin[0] + t * dir[0], origin[1] + t * dir[1], origin[2] + t * dir[2]});
        const bool above = v && *v > limit;
        if (above) {
            inside = true;
            if (*v > best_v) best_v = *v, best_t = t;
        } else if (inside) {
            break;
        }
    }
    if (!inside) return std::nullopt;

    // From the highest corner of that sample's grid cell uphill to the map's
    // local maximum, then between grid points.
    int base[3];
    for (int a = 0; a < 3; ++a) {
        const double u = g.GridCoord(a, origin[a] + best_t * dir[a]);
        base[a] = std::clamp(static_cast<int>(std::floor(u)), 1, g.n[a]);
    }
    int i[3] = {base[0], base[1], base[2]};
    double best_corner = -kInf;
    for (int c = 0; c < 8; ++c) {
        int j[3];
        for (int a = 0; a < 3; ++a) j[a] = std::min(base[a] + (c >> a & 1), g.n[a]);
        const double v = g.v[g.Index(j)];
        if (v > best_corner) best_corner = v, i[0] = j[0], i[1] = j[1], i[2] = j[2];
    }
    ClimbToMaximum(g, i);
    return RefineIn(g, i, true).Position;
}

std::optional<Vec3> FindPeakInSection(const SceneState& s, int section, double x, double y,
                                      double limit) {
    const GridView g(s);
    if (g.Empty() || section < 1 || section > g.n[2]) return std::nullopt;
    const double u[2] = {g.GridCoord(0, x), g.GridCoord(1, y)};
    const Vec3 here{x, y, g.Scene(2, section)};
    const auto v = DensityAt(s, here);
    if (!v || !(*v > limit)) return std::nullopt;

    // Seed: the corner of the pointer's grid cell nearest to it that is above
    // the limit; then the 4-connected region above the limit and its top.
    int seed[2] = {0, 0};
    double seed_d = kInf;
    for (int c = 0; c < 4; ++c) {
        int j[3] = {0, 0, section};
        for (int a = 0; a < 2; ++a)
            j[a] = std::min(std::max(static_cast<int>(std::floor(u[a])), 1) + (c >> a & 1), g.n[a]);
        const double d = std::hypot(j[0] - u[0], j[1] - u[1]);
        if (g.v[g.Index(j)] > limit && d < seed_d) seed_d = d, seed[0] = j[0], seed[1] = j[1];
    }
    if (!std::isfinite(seed_d)) return std::nullopt;
    const int w = g.n[0], h = g.n[1];
    std::vector<unsigned char> seen(std::size_t(w) * h, 0);
    std::vector<std::array<int, 2>> stack{{seed[0], seed[1]}};
    seen[std::size_t(seed[0] - 1) * h + (seed[1] - 1)] = 1;
    int top[3] = {seed[0], seed[1], section};
    float top_v = -std::numeric_limits<float>::infinity();
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        const int j[3] = {a, b, section};
        const float val = g.v[g.Index(j)];
        if (val > top_v) top_v = val, top[0] = a, top[1] = b;
        const int next[4][2] = {{a - 1, b}, {a + 1, b}, {a, b - 1}, {a, b + 1}};
        for (const auto& q : next) {
            if (q[0] < 1 || q[1] < 1 || q[0] > w || q[1] > h) continue;
            unsigned char& mark = seen[std::size_t(q[0] - 1) * h + (q[1] - 1)];
            const int jq[3] = {q[0], q[1], section};
            if (mark || !(g.v[g.Index(jq)] > limit)) continue;
            mark = 1;
            stack.push_back({q[0], q[1]});
        }
    }
    Vec3 p = RefineIn(g, top, false).Position;
    p[2] = here[2];
    return p;
}

}  // namespace eld
