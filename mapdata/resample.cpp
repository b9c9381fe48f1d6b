#include "mapdata/resample.h"

#include <algorithm>
#include <cmath>

namespace eld {

IndexTransform MakeIndexTransform(const ForeignMap& m) {
    // u_a = Sampling_a * (Cell^-1 (x - PointZero))_a - Start_a
    const Mat3d inv = Inverse3(m.Cell, m.SourcePath);
    IndexTransform t;
    for (int a = 0; a < 3; ++a) {
        for (int k = 0; k < 3; ++k) t.A[a][k] = m.Sampling[a] * inv[a][k];
        const Vec3d z = MatVec(inv, m.PointZero);
        t.b[a] = -m.Sampling[a] * z[a] - m.Start[a];
    }
    return t;
}

namespace {

// The two stored indices around continuous index u along one axis and the
// weight of the upper one; false when u lies outside a non-periodic map.
inline bool Bracket(double u, int n, int period, bool periodic, int& i0, int& i1, double& f) {
    if (periodic) {
        const double fl = std::floor(u);
        f = u - fl;
        long long k = static_cast<long long>(fl) % period;
        if (k < 0) k += period;
        i0 = static_cast<int>(k);
        i1 = i0 + 1 == period ? 0 : i0 + 1;
        return true;
    }
    constexpr double kEps = 1e-6;  // points on the map's edge belong to it
    if (u < -kEps || u > n - 1 + kEps) return false;
    if (n == 1) {
        i0 = i1 = 0;
        f = 0;
        return true;
    }
    u = std::min(std::max(u, 0.0), static_cast<double>(n - 1));
    i0 = std::min(static_cast<int>(u), n - 2);
    i1 = i0 + 1;
    f = u - i0;
    return true;
}

}  // namespace

float SampleTrilinear(const ForeignMap& m, const Vec3d& u, float outside) {
    int lo[3], hi[3];
    double f[3];
    for (int a = 0; a < 3; ++a)
        if (!Bracket(u[a], m.N[a], m.Sampling[a], m.Periodic[a], lo[a], hi[a], f[a]))
            return outside;
    const float* v = m.Values.data();
    auto at = [&](int i, int j, int k) { return static_cast<double>(v[m.Index(i, j, k)]); };
    const double c00 = at(lo[0], lo[1], lo[2]) * (1 - f[0]) + at(hi[0], lo[1], lo[2]) * f[0];
    const double c10 = at(lo[0], hi[1], lo[2]) * (1 - f[0]) + at(hi[0], hi[1], lo[2]) * f[0];
    const double c01 = at(lo[0], lo[1], hi[2]) * (1 - f[0]) + at(hi[0], lo[1], hi[2]) * f[0];
    const double c11 = at(lo[0], hi[1], hi[2]) * (1 - f[0]) + at(hi[0], hi[1], hi[2]) * f[0];
    const double c0 = c00 * (1 - f[1]) + c10 * f[1];
    const double c1 = c01 * (1 - f[1]) + c11 * f[1];
    return static_cast<float>(c0 * (1 - f[2]) + c1 * f[2]);
}

std::vector<float> ResampleOnto(const ForeignMap& m, const AxisGrid& grid, float outside) {
    const IndexTransform t = MakeIndexTransform(m);
    std::vector<float> out(static_cast<std::size_t>(grid.N[0]) * grid.N[1] * grid.N[2]);
    std::size_t n = 0;
    for (int k = 0; k < grid.N[2]; ++k) {
        for (int j = 0; j < grid.N[1]; ++j) {
            const Vec3d row0{grid.Origin[0], grid.Origin[1] + j * grid.Step[1],
                             grid.Origin[2] + k * grid.Step[2]};
            const Vec3d u0 = MatVec(t.A, row0);
            for (int i = 0; i < grid.N[0]; ++i, ++n) {
                // Along the fastest axis only x changes: u moves along column 0 of A.
                const double x = i * grid.Step[0];
                const Vec3d u{u0[0] + t.b[0] + t.A[0][0] * x, u0[1] + t.b[1] + t.A[1][0] * x,
                              u0[2] + t.b[2] + t.A[2][0] * x};
                out[n] = SampleTrilinear(m, u, outside);
            }
        }
    }
    return out;
}

}  // namespace eld
