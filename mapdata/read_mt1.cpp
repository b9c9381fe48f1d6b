// The binary .mt1 map: fixed header offsets, sections of N1*N2 little-endian
// floats (axis 2 fastest), then the atom records of 58 bytes.
#include <bit>
#include <cstdint>
#include <cstring>

#include "mapdata/eld_error.h"
#include "mapdata/map_read_common.h"
#include "mapdata/read_map.h"

namespace eld {

namespace {

constexpr std::size_t kFirstSectionOffset = 188;
constexpr std::size_t kGapFirstSection = 10;
constexpr std::size_t kGapLaterSection = 14;
constexpr std::size_t kAtomRecordBytes = 58;
constexpr std::int32_t kWordsPerAtom = 14;

std::uint32_t LoadLE32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

// Sequential reads with an end check that names what was being read.
struct ByteCursor {
    std::string_view bytes;
    const std::string& name;
    std::size_t pos = 0;

    void Need(std::size_t n, const char* what) const {
        if (bytes.size() - pos < n)
            fail(name + ": the file ends early (at byte " + std::to_string(pos) + ", reading " +
                 what + ")");
    }
    void Skip(std::size_t n, const char* what) {
        Need(n, what);
        pos += n;
    }
    float Float(const char* what) {
        Need(4, what);
        float v = std::bit_cast<float>(LoadLE32(bytes.data() + pos));
        pos += 4;
        return v;
    }
    std::int32_t Int(const char* what) {
        Need(4, what);
        auto v = static_cast<std::int32_t>(LoadLE32(bytes.data() + pos));
        pos += 4;
        return v;
    }
    float FiniteFloat(const char* what) {
        float v = Float(what);
        mapread::CheckFinite(v, what, name);
        return v;
    }
};

}  // namespace

void ReadMapMt1Buffer(SceneState& s, std::string_view bytes, const std::string& name) {
    SceneState t;
    ByteCursor in{bytes, name};

    in.Skip(38, "the header");
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.map.CellMatrix[i][j] = in.FiniteFloat("the cell matrix");
    for (float& v : t.map.CellShift) v = in.FiniteFloat("the cell shift");
    in.Skip(6, "the header");
    for (float& v : t.map.CellParameters) v = in.Float("the cell parameters");
    in.Skip(6, "the header");
    for (int a = 0; a < 3; ++a) {
        t.map.MapGrid.GridOrigin[a] = in.FiniteFloat("the grid origin");
        t.map.MapGrid.GridStep[a] = in.FiniteFloat("the grid step");
        in.Skip(8, "the grid description");
    }
    in.Skip(6, "the header");
    long long n[3];
    for (int a = 0; a < 3; ++a) n[a] = in.Int("the grid point counts");
    for (int a = 0; a < 3; ++a) mapread::CheckGridPoints(n[a], a + 1, name);

    // The sections must fit in the file before the grid is allocated.
    const std::uint64_t section_values = std::uint64_t(n[0]) * std::uint64_t(n[1]);
    const std::uint64_t need = kGapFirstSection + kGapLaterSection * std::uint64_t(n[2] - 1) +
                               section_values * 4 * std::uint64_t(n[2]);
    if (need > bytes.size() - in.pos)
        fail(name + ": the header announces " + std::to_string(n[0]) + " x " +
             std::to_string(n[1]) + " x " + std::to_string(n[2]) + " grid points (" +
             std::to_string(need) + " bytes of sections), but the file holds only " +
             std::to_string(bytes.size()) + " bytes");
    for (int a = 0; a < 3; ++a) t.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
    const int n1 = int(n[0]), n2 = int(n[1]), n3 = int(n[2]);
    t.map.DensityGrid.Create(n1, n2, n3);

    mapread::DensityRange range;
    float* grid = t.map.DensityGrid.values.data();
    for (int i3 = 1; i3 <= n3; ++i3) {
        in.pos += (i3 == 1) ? kGapFirstSection : kGapLaterSection;  // size checked above
        const char* p = bytes.data() + in.pos;
        for (int i1 = 1; i1 <= n1; ++i1) {
            float* row = grid + t.map.DensityGrid.Index(i1, 1, i3);
            const std::size_t stride = std::size_t(n3) + 1;  // next i2
            for (int i2 = 1; i2 <= n2; ++i2, p += 4) {
                float v = std::bit_cast<float>(LoadLE32(p));
                mapread::TakeValue(v, range, row[std::size_t(i2 - 1) * stride], name, i1, i2, i3);
            }
        }
        in.pos += section_values * 4;
    }
    t.map.MapGrid.DensityMin = range.min;
    t.map.MapGrid.DensityMax = range.max;

    in.Skip(6, "the bytes after the last section");
    const std::int32_t atoms = in.Int("the atom count");
    const std::int32_t words = in.Int("WordsPerAtom");
    if (words != kWordsPerAtom)
        fail_silent(name + ": WordsPerAtom is " + std::to_string(words) + ", not 14");
    mapread::CheckAtomCount(atoms, name);
    t.map.AtomCount = atoms < 1 ? 0 : atoms;
    if (std::uint64_t(t.map.AtomCount) * kAtomRecordBytes > bytes.size() - in.pos)
        fail(name + ": the file announces " + std::to_string(atoms) +
             " atoms but ends before their records");
    t.map.AtomNames.assign(t.map.AtomCount, std::string());
    t.map.AtomData.assign(t.map.AtomCount, {});
    for (int a = 0; a < t.map.AtomCount; ++a) {
        in.Skip(2, "an atom record");
        in.Need(4, "an atom name");
        t.map.AtomNames[a].assign(bytes.data() + in.pos, 4);
        in.pos += 4;
        in.Skip(12, "an atom record");
        for (int c = 0; c < 3; ++c) t.map.AtomData[a][c] = in.FiniteFloat("an atom coordinate");
        in.Skip(28, "an atom record");
    }
    mapread::PlaceAndCheck(t, name);
    mapread::CommitMap(s, t);
}

}  // namespace eld
