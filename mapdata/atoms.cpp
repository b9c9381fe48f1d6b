#include "mapdata/atoms.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/text_reader.h"

namespace eld {

namespace {

constexpr std::size_t kMaxTypeRows = 400;

const AtomTypeRow* Row(const std::vector<AtomTypeRow>& table, int k) {
    if (k < 1 || static_cast<std::size_t>(k) > table.size()) return nullptr;
    return &table[static_cast<std::size_t>(k) - 1];
}

// The sum BondRadius + BondTolerance of a type; the largest upper bond length
// of any pair is twice the largest of these.
double Reach(const std::vector<AtomTypeRow>& table, int k) {
    const AtomTypeRow* r = Row(table, k);
    return r ? r->BondRadius + r->BondTolerance : 0.0;
}

float AtomDistance(const std::array<float, 13>& a, const std::array<float, 13>& b) {
    float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void AddBond(SceneState& s, int i, int j) {
    // The store holds kMaxBonds bonds; later ones are not kept.
    if (s.map.BondCount >= kMaxBonds) return;
    s.map.BondList.push_back(Bond{static_cast<std::int16_t>(i), static_cast<std::int16_t>(j)});
    ++s.map.BondCount;
}

}  // namespace

std::vector<AtomTypeRow> ReadAtomParameters(const std::string& path) {
    const std::string text = ReadWholeFile(path, "atom parameter file");
    TextReader in(text, path);
    std::vector<AtomTypeRow> table;
    if (!in.AtEnd()) in.ReadLine("the header line");
    for (;;) {
        if (in.AtEnd())
            fail(path + ": the type list has no end line (a blank line or a type number below 1)");
        const std::string_view line = in.ReadLine("a type line");
        const double type = LeadingNumber(Columns(line, 1, 3));
        if (type < 1) break;
        if (table.size() >= kMaxTypeRows)
            fail(path + ": more than " + std::to_string(kMaxTypeRows) + " type lines");
        AtomTypeRow r;
        r.TypeNumber = static_cast<int>(std::lround(type));
        r.Value2 = static_cast<float>(LeadingNumber(Columns(line, 7, 9)) / 100.0);
        r.BondRadius = LeadingNumber(Columns(line, 14, 16)) / 100.0;
        r.Value4 = static_cast<float>(LeadingNumber(Columns(line, 21, 23)) / 100.0);
        r.BondTolerance = LeadingNumber(Columns(line, 27, 29));
        // As it stands: a line that ends inside the name field gives a name
        // shorter than four characters, which matches no atom name.
        r.TypeName = std::string(Columns(line, 34, 37));
        r.Value7 = static_cast<float>(LeadingNumber(Columns(line, 38, 47)));
        table.push_back(r);
    }
    return table;
}

void AssignAtomTypes(SceneState& s, const std::vector<AtomTypeRow>& table) {
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const std::string& name = s.map.AtomNames[n];
        auto it = std::find_if(table.begin(), table.end(),
                               [&](const AtomTypeRow& r) { return r.TypeName == name; });
        if (it == table.end()) fail_fatal("I do not know this atom name: " + name);
        s.map.AtomData[n][12] = static_cast<float>(it->TypeNumber);
    }
}

void BondWindow(const std::vector<AtomTypeRow>& table, int a, int b, float& lower, float& upper) {
    const AtomTypeRow* ra = Row(table, a);
    const AtomTypeRow* rb = Row(table, b);
    const double radius_a = ra ? ra->BondRadius : 0.0, tol_a = ra ? ra->BondTolerance : 0.0;
    const double radius_b = rb ? rb->BondRadius : 0.0, tol_b = rb ? rb->BondTolerance : 0.0;
    lower = static_cast<float>(radius_a + radius_b - (tol_a + tol_b));
    upper = static_cast<float>(radius_a + radius_b + tol_a + tol_b);
}

void FindBonds(SceneState& s) {
    s.map.BondList.clear();
    s.map.BondCount = 0;
    const auto table = ReadAtomParameters(DataFilePath(s.program.DataFolder, "atompar2.txt"));
    AssignAtomTypes(s, table);
    const int n = s.map.AtomCount;
    if (n < 2) return;

    // The window of every pair, by type number; type numbers are row numbers,
    // so only rows 1..table.size() give non-zero values.
    std::vector<int> type(n);
    int max_type = 0;
    for (int i = 0; i < n; ++i) {
        type[i] = static_cast<int>(s.map.AtomData[i][12]);
        max_type = std::max(max_type, type[i]);
    }
    const int rows = std::min<int>(max_type, static_cast<int>(table.size()));
    // Types without a row share slot 0 (zero radius and tolerance).
    auto slot = [&](int t) { return (t >= 1 && t <= rows) ? t : 0; };
    const int m = rows + 1;
    std::vector<float> lower(std::size_t(m) * m), upper(std::size_t(m) * m);
    double reach = 0.0;
    for (int a = 0; a < m; ++a) {
        reach = std::max(reach, Reach(table, a));
        for (int b = 0; b < m; ++b)
            BondWindow(table, a, b, lower[std::size_t(a) * m + b], upper[std::size_t(a) * m + b]);
    }
    std::vector<int> slots(n);
    for (int i = 0; i < n; ++i) slots[i] = slot(type[i]);
    const double cutoff = 2.0 * reach;
    if (!(cutoff > 0.0)) return;  // no window is open

    // Cell list: cells at least as wide as the largest upper bound (with a
    // margin for rounding), so every bonded pair lies in neighbouring cells.
    const double width_min = cutoff * 1.001 + 1e-6;
    double lo[3], hi[3];
    for (int c = 0; c < 3; ++c) {
        lo[c] = std::numeric_limits<double>::max();
        hi[c] = std::numeric_limits<double>::lowest();
    }
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], double(s.map.AtomData[i][c]));
            hi[c] = std::max(hi[c], double(s.map.AtomData[i][c]));
        }
    long long dim[3];
    double width[3];
    for (int c = 0; c < 3; ++c) {
        double cells = std::floor((hi[c] - lo[c]) / width_min);
        dim[c] = static_cast<long long>(std::clamp(cells, 1.0, 1024.0));
    }
    // Sparse sets spread far apart would make many empty cells; merging cells
    // only makes them wider, which keeps the search complete.
    const long long max_cells = 8LL * n + 64;
    while (dim[0] * dim[1] * dim[2] > max_cells) {
        int c = int(std::max_element(dim, dim + 3) - dim);
        dim[c] = (dim[c] + 1) / 2;
    }
    for (int c = 0; c < 3; ++c) width[c] = std::max((hi[c] - lo[c]) / double(dim[c]), width_min);

    auto cell_of = [&](int i, int c) {
        long long k = static_cast<long long>((double(s.map.AtomData[i][c]) - lo[c]) / width[c]);
        return std::clamp<long long>(k, 0, dim[c] - 1);
    };
    const std::size_t cell_count = std::size_t(dim[0] * dim[1] * dim[2]);
    std::vector<int> start(cell_count + 1, 0), members(n), cell(n);
    std::vector<std::array<int, 3>> where(n);
    for (int i = 0; i < n; ++i) {
        where[i] = {int(cell_of(i, 0)), int(cell_of(i, 1)), int(cell_of(i, 2))};
        cell[i] = int((where[i][0] * dim[1] + where[i][1]) * dim[2] + where[i][2]);
        ++start[cell[i] + 1];
    }
    for (std::size_t k = 0; k < cell_count; ++k) start[k + 1] += start[k];
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (int i = 0; i < n; ++i) members[fill[cell[i]]++] = i;  // ascending within a cell
    }

    std::vector<int> found;
    for (int i = 0; i < n; ++i) {
        found.clear();
        const auto& ai = s.map.AtomData[i];
        const float* low_row = &lower[std::size_t(slots[i]) * m];
        const float* up_row = &upper[std::size_t(slots[i]) * m];
        for (long long x = std::max(0, where[i][0] - 1);
             x <= std::min(dim[0] - 1, where[i][0] + 1LL); ++x)
            for (long long y = std::max(0, where[i][1] - 1);
                 y <= std::min(dim[1] - 1, where[i][1] + 1LL); ++y)
                for (long long z = std::max(0, where[i][2] - 1);
                     z <= std::min(dim[2] - 1, where[i][2] + 1LL); ++z) {
                    const std::size_t c = std::size_t((x * dim[1] + y) * dim[2] + z);
                    for (int k = start[c]; k < start[c + 1]; ++k) {
                        const int j = members[k];
                        if (j <= i) continue;
                        const float d = AtomDistance(ai, s.map.AtomData[j]);
                        if (low_row[slots[j]] < d && d < up_row[slots[j]]) found.push_back(j);
                    }
                }
        std::sort(found.begin(), found.end());
        for (int j : found) AddBond(s, i, j);
    }
}

float AtomRadius(const std::string& name) {
    if (name == "H   ") return 0.1f;
    if (name == "C   ") return 0.18f;
    if (name == "Q   ") return 0.15f;
    return 0.2f;
}

void AtomColour(const std::string& name, float rgb[3]) {
    struct Entry {
        const char* name;
        float r, g, b;
    };
    static const Entry kColours[] = {
        {"H   ", 0.6f, 0.6f, 1.0f}, {"C   ", 0.7f, 0.7f, 0.7f}, {"N   ", 0.3f, 0.3f, 1.0f},
        {"O   ", 1.0f, 0.1f, 0.1f}, {"S   ", 0.8f, 0.8f, 0.2f}, {"F   ", 0.6f, 0.6f, 1.0f},
        {"Q   ", 0.9f, 0.5f, 0.1f},
    };
    rgb[0] = rgb[1] = rgb[2] = 0.4f;
    for (const Entry& e : kColours)
        if (name == e.name) {
            rgb[0] = e.r;
            rgb[1] = e.g;
            rgb[2] = e.b;
            return;
        }
}

}  // namespace eld
