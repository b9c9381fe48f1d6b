#include "mapdata/geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "mapdata/eld_error.h"

namespace eld {

void VectorZero(float v[4]) {
    v[0] = v[1] = v[2] = 0.0f;
}

void VectorSet(float v[4], float x, float y, float z) {
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

void VectorSubtract(const float a[4], const float b[4], float dst[4]) {
    for (int i = 0; i < 3; ++i) dst[i] = a[i] - b[i];
}

void VectorCopy(const float src[4], float dst[4]) {
    for (int i = 0; i < 4; ++i) dst[i] = src[i];
}

void VectorCross(const float a[4], const float b[4], float dst[4]) {
    // Through a temporary so that dst may be a or b.
    float t[4] = {0, 0, 0, 0};
    t[0] = a[1] * b[2] - a[2] * b[1];
    t[1] = a[2] * b[0] - a[0] * b[2];
    t[2] = a[0] * b[1] - a[1] * b[0];
    VectorCopy(t, dst);
}

double VectorLength(const float v[4]) {
    return std::sqrt(static_cast<double>(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
}

void VectorScale(float v[4], float s) {
    for (int i = 0; i < 3; ++i) v[i] = v[i] * s;
}

void VectorNormalize(float v[4]) {
    const float s = static_cast<float>(1.0 / VectorLength(v));
    VectorScale(v, s);
}

float VectorDot(const float a[4], const float b[4]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void VectorAdd(const float a[4], const float b[4], float dst[4]) {
    for (int i = 0; i < 3; ++i) dst[i] = a[i] + b[i];
}

XYZ TriangleCentroid(const XYZ& a, const XYZ& b, const XYZ& c) {
    return XYZ{(a.x + b.x + c.x) / 3.0f, (a.y + b.y + c.y) / 3.0f, (a.z + b.z + c.z) / 3.0f};
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

Vec3d MatVec(const Mat3d& m, const Vec3d& v) {
    Vec3d r{};
    for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

double Determinant3(const Mat3d& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

Mat3d Inverse3(const Mat3d& m, const std::string& what) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = Determinant3(m);
    double scale = 0;
    for (const auto& row : m)
        for (double x : row) scale = std::max(scale, std::fabs(x));
    if (!(std::fabs(det) > 1e-12 * scale * scale * scale) || !std::isfinite(det))
        fail(what + ": the cell matrix is singular (the cell has no volume)");
    Mat3d r{};
    r[0][0] = c00 / det;
    r[1][0] = c01 / det;
    r[2][0] = c02 / det;
    r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return r;
}

Mat3d OrthogonalisationMatrix(const double cell[6]) {
    const double deg = std::numbers::pi / 180.0;
    const double ca = std::cos(cell[3] * deg), cb = std::cos(cell[4] * deg);
    const double cg = std::cos(cell[5] * deg), sg = std::sin(cell[5] * deg);
    // Exact zeros for right angles keep an orthogonal cell exactly diagonal.
    auto clean = [](double x) { return std::fabs(x) < 1e-12 ? 0.0 : x; };
    const double cx = clean(cb);
    const double cy = clean((ca - cb * cg) / sg);
    const double cz2 = 1.0 - cx * cx - cy * cy;
    const double cz = cz2 > 0 ? std::sqrt(cz2) : 0.0;
    Mat3d m{};
    m[0][0] = cell[0];
    m[0][1] = cell[1] * clean(cg);
    m[1][1] = cell[1] * sg;
    m[0][2] = cell[2] * cx;
    m[1][2] = cell[2] * cy;
    m[2][2] = cell[2] * cz;
    return m;
}

void CellParametersOf(const Mat3d& cell, double out[6]) {
    Vec3d col[3];
    for (int j = 0; j < 3; ++j) col[j] = {cell[0][j], cell[1][j], cell[2][j]};
    auto dot = [](const Vec3d& u, const Vec3d& v) {
        return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    };
    for (int j = 0; j < 3; ++j) out[j] = std::sqrt(dot(col[j], col[j]));
    auto angle = [&](int p, int q) {
        const double d = out[p] * out[q];
        return d > 0 ? std::acos(std::clamp(dot(col[p], col[q]) / d, -1.0, 1.0)) * 180.0 /
                           std::numbers::pi
                     : 90.0;
    };
    out[3] = angle(1, 2);
    out[4] = angle(0, 2);
    out[5] = angle(0, 1);
}

}  // namespace eld
