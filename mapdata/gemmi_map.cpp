// gemmi's CCP4/MRC reading and symmetry expansion, and .gz files.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gemmi/ccp4.hpp>
#include <gemmi/gz.hpp>

#include "mapdata/eld_error.h"
#include "mapdata/gemmi_io.h"
#include "mapdata/input_file.h"

namespace eld {
namespace {

bool EndsWithGz(const std::string& path) {
    return path.size() > 3 && gemmi::iends_with(path, ".gz");
}

// An expansion allocates the whole cell; beyond this a partial map is refused.
constexpr double kMaxExpandedPoints = 64.0 * 1024 * 1024;

}  // namespace

std::string ReadFileMaybeGzipped(const std::string& path, const char* what) {
    // Opened here first, so that folders, pipes and missing files get the
    // same messages as every other file the programs read.
    InputFile file(path, what);
    if (!EndsWithGz(path)) {
        std::string bytes(file.Size(), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const std::size_t n = file.Read(&bytes[got], bytes.size() - got);
            if (n == 0) break;
            got += n;
        }
        bytes.resize(got);
        return bytes;
    }
    try {
        gemmi::MaybeGzipped input(path);
        gemmi::CharArray mem = input.uncompress_into_buffer();
        return std::string(mem.data(), mem.size());
    } catch (const std::exception& e) {
        fail(path + ": cannot uncompress the " + what + " (" + e.what() + ")");
    }
}

void ReadCcp4Values(std::string_view normalised, const Ccp4Layout& h, const std::string& name,
                    ForeignMap& m) {
    gemmi::Ccp4<float> map;
    try {
        map.read_ccp4_from_memory(normalised.data(), normalised.size(), name);
    } catch (const std::exception& e) {
        fail(name + ": " + e.what());
    }
    // Values in file order: column fastest, then row, then section.
    double sum = 0, sum2 = 0;
    const std::vector<float>& raw = map.grid.data;
    for (std::size_t n = 0; n < raw.size(); ++n) {
        const float v = raw[n];
        if (!std::isfinite(v)) {
            const std::size_t nc = h.FileDims[0], nr = h.FileDims[1];
            fail(name + ": data value " + std::to_string(n + 1) + " (column " +
                 std::to_string(n % nc + 1) + ", row " + std::to_string(n / nc % nr + 1) +
                 ", section " + std::to_string(n / nc / nr + 1) + ") is not a finite number");
        }
        sum += v;
    }
    m.StatsKnown = true;
    m.StoredMean = sum / static_cast<double>(raw.size());
    for (float v : raw) sum2 += (v - m.StoredMean) * (v - m.StoredMean);
    m.StoredRms = std::sqrt(sum2 / static_cast<double>(raw.size()));

    const gemmi::SpaceGroup* sg = map.grid.spacegroup;
    m.SpaceGroup = sg ? sg->xhm() : "";
    bool covers = true;
    for (int a = 0; a < 3; ++a) covers = covers && h.N[a] >= h.Sampling[a];
    bool expanded = covers;
    try {
        if (covers) {
            map.setup(NAN, gemmi::MapSetup::Full);
        } else if (sg && sg->number != 1) {
            const double cell_points =
                static_cast<double>(h.Sampling[0]) * h.Sampling[1] * h.Sampling[2];
            // The smallest asymmetric unit is 1/192 of the cell (F m -3 m):
            // a map storing less cannot fill its cell, whatever it claims.
            const double stored = static_cast<double>(raw.size());
            if (cell_points > 256.0 * stored)
                fail(name + ": the map stores " + std::to_string(raw.size()) +
                     " points, too few to fill a cell sampled " + std::to_string(h.Sampling[0]) +
                     "×" + std::to_string(h.Sampling[1]) + "×" + std::to_string(h.Sampling[2]) +
                     " (MX, MY, MZ) with any space group");
            if (cell_points > kMaxExpandedPoints)
                fail(name + ": the map stores part of a cell sampled " +
                     std::to_string(h.Sampling[0]) + "×" + std::to_string(h.Sampling[1]) + "×" +
                     std::to_string(h.Sampling[2]) +
                     " (MX, MY, MZ); that is too large to fill "
                     "with the symmetry");
            gemmi::check_grid_factors(sg, {h.Sampling[0], h.Sampling[1], h.Sampling[2]});
            // Each operation copies the stored points once: with fewer than
            // cell / stored operations points stay empty, and the expansion
            // (up to 64M points) would only be thrown away.
            if (cell_points <= static_cast<double>(sg->operations().order()) * stored) {
                gemmi::Ccp4<float> full = map;
                full.setup(NAN, gemmi::MapSetup::Full);
                expanded =
                    std::ranges::none_of(full.grid.data, [](float v) { return std::isnan(v); });
                if (expanded) map = std::move(full);
            }
        }
        if (!expanded) map.setup(NAN, gemmi::MapSetup::ReorderOnly);
    } catch (const EldError&) {
        throw;
    } catch (const std::exception& e) {
        fail(name + ": " + e.what() + " (space group number " + std::to_string(h.SpaceGroupNumber) +
             ", cell sampling " + std::to_string(h.Sampling[0]) + "×" +
             std::to_string(h.Sampling[1]) + "×" + std::to_string(h.Sampling[2]) + ")");
    }

    const bool has_origin = h.Origin[0] != 0 || h.Origin[1] != 0 || h.Origin[2] != 0;
    m.N[0] = map.grid.nu;
    m.N[1] = map.grid.nv;
    m.N[2] = map.grid.nw;
    if (expanded) {
        // Grid index 0 is the cell's origin; the MRC origin words (when given)
        // place the first stored point, which lies Start/Sampling into the cell.
        Vec3d t{};
        for (int a = 0; a < 3; ++a) {
            m.Start[a] = 0;
            m.Periodic[a] = true;
            t[a] = static_cast<double>(h.Start[a]) / h.Sampling[a];
        }
        const Vec3d s = MatVec(m.Cell, t);
        for (int k = 0; k < 3; ++k) m.PointZero[k] = has_origin ? h.Origin[k] - s[k] : 0.0;
    } else {
        // MRC files place their first point by the origin words (in Ångström);
        // CCP4 files leave them 0 and use the start indices. A file with both
        // gives the origin of the first stored point, so the start indices are
        // not added twice.
        for (int a = 0; a < 3; ++a) {
            m.Start[a] = has_origin ? 0 : h.Start[a];
            m.Periodic[a] = h.N[a] >= h.Sampling[a];
            m.PointZero[a] = h.Origin[a];
        }
    }
    m.Values = std::move(map.grid.data);
}

}  // namespace eld
