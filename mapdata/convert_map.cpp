#include "mapdata/convert_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "mapdata/eld_error.h"
#include "mapdata/scene_state.h"

namespace eld {
namespace {

// Positions beyond this (Ångström) are refused: the viewer's readers compute
// in float and must get finite scene positions for the atoms and the cell.
constexpr double kMaxPosition = 1e6;

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string AtomText(const ForeignAtom& a, std::size_t n) {
    return "atom " + std::to_string(n + 1) + " (" + (a.Label.empty() ? a.Element : a.Label) + ")";
}

}  // namespace

void UseModelAtoms(ForeignMap& m, const StructureModel& model, const std::string& model_path,
                   std::vector<std::string>* warnings) {
    m.Atoms = model.Atoms;
    if (!warnings || !model.HasCell || !m.CrystalCell) return;
    double map_cell[6];
    CellParametersOf(m.Cell, map_cell);
    for (int k = 0; k < 6; ++k) {
        const double tol = k < 3 ? 0.005 * map_cell[k] : 0.5;
        if (std::fabs(model.Cell[k] - map_cell[k]) > tol) {
            char buf[512];
            std::snprintf(buf, sizeof buf,
                          "%s: the model's cell (%.3f %.3f %.3f %.2f %.2f %.2f) differs from "
                          "the map's (%.3f %.3f %.3f %.2f %.2f %.2f); atoms are placed by their "
                          "Cartesian coordinates",
                          model_path.c_str(), model.Cell[0], model.Cell[1], model.Cell[2],
                          model.Cell[3], model.Cell[4], model.Cell[5], map_cell[0], map_cell[1],
                          map_cell[2], map_cell[3], map_cell[4], map_cell[5]);
            warnings->push_back(buf);
            return;
        }
    }
}

bool GridIsAxisAligned(const ForeignMap& m) {
    double scale = 0;
    for (const auto& row : m.Cell)
        for (double x : row) scale = std::max(scale, std::fabs(x));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            if (r == c && !(m.Cell[r][c] > 0)) return false;
            if (r != c && std::fabs(m.Cell[r][c]) > 1e-7 * scale) return false;
        }
    return true;
}

BoxChoice ResolvedBox(const ForeignMap& m, const ConvertOptions& o) {
    if (o.Box != BoxChoice::Default) return o.Box;
    return m.AllPeriodic() && !m.Atoms.empty() ? BoxChoice::Atoms : BoxChoice::Cell;
}

bool CopiesPointForPoint(const ForeignMap& m, const ConvertOptions& o) {
    return GridIsAxisAligned(m) && o.Step <= 0 && ResolvedBox(m, o) == BoxChoice::Cell;
}

AxisGrid ResampleGrid(const ForeignMap& m, const ConvertOptions& o) {
    Vec3d lo{}, hi{};
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::numeric_limits<double>::max();
        hi[k] = -lo[k];
    }
    auto include = [&](const Vec3d& p, double margin) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k] - margin);
            hi[k] = std::max(hi[k], p[k] + margin);
        }
    };
    const bool all_periodic = m.AllPeriodic();
    const bool atoms_box = ResolvedBox(m, o) == BoxChoice::Atoms;
    if (atoms_box) {
        if (m.Atoms.empty())
            fail(m.SourcePath + ": --box atoms needs atoms (from the cube file or --model)");
        for (const ForeignAtom& a : m.Atoms) {
            Vec3d p;
            for (int k = 0; k < 3; ++k) p[k] = a.Cartesian[k] - m.CellOrigin[k];
            include(p, o.Margin);
        }
    } else {
        // The map's cell: whole cells when the map repeats, else the stored points.
        Vec3d base{};
        if (!all_periodic)
            for (int k = 0; k < 3; ++k) base[k] = m.PointZero[k] - m.CellOrigin[k];
        for (int corner = 0; corner < 8; ++corner) {
            Vec3d t;
            for (int a = 0; a < 3; ++a) {
                const bool upper = corner >> a & 1;
                if (all_periodic)
                    t[a] = upper ? 1.0 : 0.0;
                else
                    t[a] =
                        static_cast<double>(m.Start[a] + (upper ? m.N[a] - 1 : 0)) / m.Sampling[a];
            }
            const Vec3d c = MatVec(m.Cell, t);
            include({base[0] + c[0], base[1] + c[1], base[2] + c[2]}, 0.0);
        }
    }
    double step = o.Step;
    if (step <= 0) {
        step = std::numeric_limits<double>::max();
        for (int a = 0; a < 3; ++a) {
            const double len = std::hypot(m.Cell[0][a], m.Cell[1][a], m.Cell[2][a]) / m.Sampling[a];
            step = std::min(step, len);
        }
    }
    AxisGrid g;
    double total = 1;
    for (int k = 0; k < 3; ++k) {
        // A box of the map's own points ends at its last point, not beyond.
        const double span = (hi[k] - lo[k]) / step;
        const double n =
            (all_periodic || atoms_box ? std::ceil(span - 1e-9) : std::floor(span + 1e-9)) + 1;
        if (!(n <= kMaxGridPoints))
            fail(m.SourcePath + ": the resampled grid would need " + Num(n) +
                 " points along axis " + std::to_string(k + 1) +
                 " (at most 32766); choose a larger --step or a smaller --box");
        g.N[k] = static_cast<int>(n);
        g.Origin[k] = lo[k];
        g.Step[k] = step;
        total *= n;
    }
    if (total > 256.0 * 1024 * 1024)
        fail(m.SourcePath + ": the resampled grid would hold " + Num(total) +
             " points; choose a larger --step or a smaller --box");

    // A map that does not repeat has values only within its stored points.
    if (atoms_box && !all_periodic) {
        const IndexTransform t = MakeIndexTransform(m);
        for (int corner = 0; corner < 8; ++corner) {
            Vec3d x;
            for (int k = 0; k < 3; ++k)
                x[k] =
                    g.Origin[k] + m.CellOrigin[k] + ((corner >> k & 1) ? (g.N[k] - 1) * step : 0);
            const Vec3d u0 = MatVec(t.A, x);
            for (int a = 0; a < 3; ++a) {
                const double u = u0[a] + t.b[a];
                if (!m.Periodic[a] && (u < -1e-6 || u > m.N[a] - 1 + 1e-6))
                    fail(m.SourcePath + ": the box around the atoms (plus " + Num(o.Margin) +
                         " Angstrom) reaches outside the map's grid along axis " +
                         std::to_string(a + 1) +
                         ", and the map has no crystal cell to repeat it; use --box cell or a "
                         "smaller margin (--box atoms:MARGIN)");
            }
        }
    }
    return g;
}

MapForWriting PlaceInScene(const ForeignMap& m, const ConvertOptions& o) {
    MapForWriting out;
    const auto slash = m.SourcePath.find_last_of("/\\");
    out.Title = "converted from " +
                (slash == std::string::npos ? m.SourcePath : m.SourcePath.substr(slash + 1));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out.CellMatrix[r][c] = static_cast<float>(m.Cell[r][c]);
    double params[6];
    CellParametersOf(m.Cell, params);
    for (int k = 0; k < 6; ++k) out.CellParameters[k] = static_cast<float>(params[k]);

    if (CopiesPointForPoint(m, o)) {
        for (int a = 0; a < 3; ++a) {
            out.N[a] = m.N[a];
            out.GridStep[a] = static_cast<float>(m.Cell[a][a] / m.Sampling[a]);
            out.GridOrigin[a] = static_cast<float>(m.PointZero[a] - m.CellOrigin[a] +
                                                   m.Cell[a][a] * m.Start[a] / m.Sampling[a]);
        }
        out.Values = m.Values;  // both run axis 1 fastest
    } else {
        const AxisGrid g = ResampleGrid(m, o);
        AxisGrid cart = g;  // the sampler works in the map's Cartesian frame
        for (int k = 0; k < 3; ++k) {
            out.N[k] = g.N[k];
            out.GridOrigin[k] = static_cast<float>(g.Origin[k]);
            out.GridStep[k] = static_cast<float>(g.Step[k]);
            cart.Origin[k] = g.Origin[k] + m.CellOrigin[k];
        }
        out.Values = ResampleOnto(m, cart, 0.0f);
    }
    if (o.Scale != 1.0)
        for (float& v : out.Values) v = static_cast<float>(v * o.Scale);
    if (o.Cap > 0) {
        const float cap = static_cast<float>(o.Cap);
        for (float& v : out.Values) v = std::min(v, cap);
    }

    // So far scene = Cartesian - CellOrigin with CellShift 0. Move the scene by
    // d (scene = Cartesian - CellOrigin - d): to the map's own Cartesian frame,
    // or to the grid's centre. CellShift = Cell^-1 d keeps fractional coordinates.
    const Mat3d inv = Inverse3(m.Cell, m.SourcePath);
    Vec3d d{};
    for (int k = 0; k < 3; ++k)
        d[k] = o.Centre ? out.GridOrigin[k] + 0.5 * (out.N[k] - 1) * out.GridStep[k]
                        : -m.CellOrigin[k];
    const Vec3d shift = MatVec(inv, d);
    for (int k = 0; k < 3; ++k) {
        out.GridOrigin[k] = static_cast<float>(out.GridOrigin[k] - d[k]);
        out.CellShift[k] = static_cast<float>(shift[k]);
        if (!(std::fabs(static_cast<double>(out.GridOrigin[k])) <= kMaxPosition) ||
            !(std::fabs(d[k]) <= kMaxPosition))
            fail(m.SourcePath + ": the grid's origin lies at " + Num(out.GridOrigin[k] + d[k]) +
                 " Angstrom along axis " + std::to_string(k + 1) +
                 ", beyond the 1e6 Angstrom the viewer's maps hold");
    }
    for (std::size_t n = 0; n < m.Atoms.size(); ++n) {
        const ForeignAtom& a = m.Atoms[n];
        const Vec3d rel{a.Cartesian[0] - m.CellOrigin[0] - d[0],
                        a.Cartesian[1] - m.CellOrigin[1] - d[1],
                        a.Cartesian[2] - m.CellOrigin[2] - d[2]};
        for (int k = 0; k < 3; ++k)
            if (!(std::fabs(rel[k]) <= kMaxPosition))
                fail(m.SourcePath + ": " + AtomText(a, n) + " lies at " + Num(a.Cartesian[k]) +
                     " Angstrom along axis " + std::to_string(k + 1) +
                     ", beyond the 1e6 Angstrom the viewer's maps hold");
        const Vec3d f = MatVec(inv, {rel[0] + d[0], rel[1] + d[1], rel[2] + d[2]});
        out.AtomNames.push_back(AtomNameForElement(a.Element));
        out.AtomLabels.push_back(a.Label);
        out.AtomFractional.push_back(
            {static_cast<float>(f[0]), static_cast<float>(f[1]), static_cast<float>(f[2])});
    }
    return out;
}

}  // namespace eld
