#include "mapdata/foreign_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "mapdata/eld_error.h"

namespace eld {

Vec3d MatVec(const Mat3d& m, const Vec3d& v) {
    Vec3d r{};
    for (int i = 0; i < 3; ++i) r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

Mat3d Inverse3(const Mat3d& m, const std::string& what) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
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

std::string ElementSymbol(int z) {
    static const char* const kSymbols[] = {
        "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",
        "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
        "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
        "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
        "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re",
        "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
        "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
        "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};
    constexpr int kCount = sizeof(kSymbols) / sizeof(kSymbols[0]);
    return z >= 1 && z <= kCount ? kSymbols[z - 1] : "";
}

std::string AtomNameForElement(const std::string& element) {
    std::string name;
    for (char c : element) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        const auto u = static_cast<unsigned char>(c);
        name += static_cast<char>(name.empty() ? std::toupper(u) : std::tolower(u));
    }
    name.resize(4, ' ');
    return name;
}

}  // namespace eld
