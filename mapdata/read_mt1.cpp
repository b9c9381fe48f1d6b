// The binary .mt1 map: fixed header offsets, sections of N1*N2 little-endian
// floats (axis 2 fastest), then the atom records of 58 bytes.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "mapdata/map_read_common.h"
#include "mapdata/read_map.h"

namespace eld {

namespace {

constexpr std::size_t kFirstSectionOffset = 188;
constexpr std::size_t kGapFirstSection = 10;
constexpr std::size_t kGapLaterSection = 14;
constexpr std::size_t kAtomRecordBytes = 58;
constexpr std::int32_t kWordsPerAtom = 14;
// Sections are read through a buffer of this size (a whole number of values).
constexpr std::size_t kChunkBytes = std::size_t(1) << 20;
// Sections gathered before they are written into the grid: at most this much.
constexpr std::uint64_t kBlockBytes = std::uint64_t(16) << 20;

std::uint32_t LoadLE32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

// Sequential reads with an end check that names what was being read.
// A cursor over one piece of the file; base is the piece's file offset.
struct ByteCursor {
    std::string_view bytes;
    const std::string* name;
    std::size_t pos = 0;
    std::uint64_t base = 0;

    void Need(std::size_t n, const char* what) const {
        if (bytes.size() - pos < n)
            fail(*name + ": the file ends early (at byte " + std::to_string(base + pos) +
                 ", reading " + what + ")");
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
        mapread::CheckFinite(v, what, *name);
        return v;
    }
};

}  // namespace

void ReadMapMt1From(SceneState& s, InputFile& file) {
    const std::string& name = file.Path();
    SceneState t;
    // The header is read alone and checked before anything else is read.
    std::string header(kFirstSectionOffset, '\0');
    header.resize(file.Read(header.data(), header.size()));
    ByteCursor in{header, &name};

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
    if (need > file.Remaining())
        fail(name + ": the header announces " + std::to_string(n[0]) + " x " +
             std::to_string(n[1]) + " x " + std::to_string(n[2]) + " grid points (" +
             std::to_string(need) + " bytes of sections), but the file holds only " +
             std::to_string(file.Size()) + " bytes");
    for (int a = 0; a < 3; ++a) t.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
    mapread::CheckGridExtent(t.map.MapGrid, name);
    const int n1 = int(n[0]), n2 = int(n[1]), n3 = int(n[2]);
    t.map.DensityGrid.Create(n1, n2, n3);

    // Sections come i3 by i3 but the grid keeps i3 fastest, so one section
    // alone would touch every cache line of the grid once. Up to 16 sections
    // are gathered first (at most kBlockBytes), then written 16 floats (one
    // line) at a time. Sections too large for that are written as they come.
    // The file is read in chunks of whole values either way.
    std::string chunk(std::min<std::uint64_t>(section_values * 4, kChunkBytes), '\0');
    auto read_exactly = [&](char* dst, std::size_t k, const char* what) {
        const std::uint64_t at = file.Offset();
        if (file.Read(dst, k) != k)
            fail(name + ": the file ends early (at byte " + std::to_string(at) + ", reading " +
                 what + "; it was cut while being read?)");
    };
    const std::uint64_t section_bytes = section_values * 4;
    const int per_block = section_bytes * 2 <= kBlockBytes
                              ? int(std::min<std::uint64_t>(16, kBlockBytes / section_bytes))
                              : 1;
    std::vector<float> values(per_block > 1 ? per_block * section_values : chunk.size() / 4);
    mapread::DensityRange range;
    mapread::Moments moments;
    float* grid = t.map.DensityGrid.values.data();
    const std::size_t stride = std::size_t(n3) + 1;  // next i2
    char gap[kGapLaterSection];
    for (int b0 = 1; b0 <= n3; b0 += per_block) {
        const int nb = std::min(per_block, n3 - b0 + 1);
        for (int j = 0; j < nb; ++j) {
            const int i3 = b0 + j;
            read_exactly(gap, i3 == 1 ? kGapFirstSection : kGapLaterSection, "a section gap");
            for (std::uint64_t left = section_values; left > 0;) {
                const std::size_t k = std::size_t(std::min<std::uint64_t>(left, chunk.size() / 4));
                read_exactly(chunk.data(), k * 4, "a section");
                const std::uint64_t first = section_values - left;  // i2 fastest, from 0
                left -= k;
                float* dst = values.data() + (per_block > 1 ? j * section_values + first : 0);
                float lo = range.min, hi = range.max;
                const char* p = chunk.data();
                for (std::size_t v = 0; v < k; ++v, p += 4) {
                    const float x = std::bit_cast<float>(LoadLE32(p));
                    if (!(x >= -10000.0f && x <= 10000.0f)) {
                        const std::uint64_t at = first + v;
                        mapread::BadDensityValue(x, name, int(at / n2) + 1, int(at % n2) + 1, i3);
                    }
                    lo = x < lo ? x : lo;
                    hi = x > hi ? x : hi;
                    dst[v] = x;
                }
                range.min = lo;
                range.max = hi;
                moments.Add(dst, k);
                if (per_block > 1) continue;
                int i1 = int(first / n2) + 1, i2 = int(first % n2) + 1;
                float* row = grid + t.map.DensityGrid.Index(i1, 1, i3);
                for (std::size_t v = 0; v < k; ++v) {
                    row[std::size_t(i2 - 1) * stride] = dst[v];
                    if (++i2 > n2) {
                        i2 = 1;
                        if (++i1 <= n1) row = grid + t.map.DensityGrid.Index(i1, 1, i3);
                    }
                }
            }
        }
        if (per_block == 1) continue;
        for (int i1 = 1; i1 <= n1; ++i1)
            for (int i2 = 1; i2 <= n2; ++i2) {
                float* out = grid + t.map.DensityGrid.Index(i1, i2, b0);
                const float* in_block = values.data() + std::size_t(i1 - 1) * n2 + (i2 - 1);
                for (int j = 0; j < nb; ++j) out[j] = in_block[j * section_values];
            }
    }
    t.map.MapGrid.DensityMin = range.min;
    t.map.MapGrid.DensityMax = range.max;
    moments.Finish(t.map.MapGrid);

    // The rest: 6 bytes, the atom count, WordsPerAtom, then the atom records.
    std::string tail(14, '\0');
    tail.resize(file.Read(tail.data(), tail.size()));
    in = ByteCursor{tail, &name, 0, file.Offset() - tail.size()};
    in.Skip(6, "the bytes after the last section");
    const std::int32_t atoms = in.Int("the atom count");
    const std::int32_t words = in.Int("WordsPerAtom");
    if (words != kWordsPerAtom)
        fail_silent(name + ": WordsPerAtom is " + std::to_string(words) + ", not 14");
    mapread::CheckAtomCount(atoms, name);
    t.map.AtomCount = atoms < 1 ? 0 : atoms;
    if (std::uint64_t(t.map.AtomCount) * kAtomRecordBytes > file.Remaining())
        fail(name + ": the file announces " + std::to_string(atoms) +
             " atoms but ends before their records");
    std::string records(std::size_t(t.map.AtomCount) * kAtomRecordBytes, '\0');
    records.resize(file.Read(records.data(), records.size()));
    in = ByteCursor{records, &name, 0, file.Offset() - records.size()};
    t.map.AtomNames.assign(t.map.AtomCount, std::string());
    t.map.AtomData.assign(t.map.AtomCount, {});
    for (int a = 0; a < t.map.AtomCount; ++a) {
        in.Skip(2, "an atom record");
        in.Need(4, "an atom name");
        t.map.AtomNames[a].assign(in.bytes.data() + in.pos, 4);
        in.pos += 4;
        in.Skip(12, "an atom record");
        for (int c = 0; c < 3; ++c) t.map.AtomData[a][c] = in.FiniteFloat("an atom coordinate");
        in.Skip(28, "an atom record");
    }
    mapread::PlaceAndCheck(t, name);
    mapread::CommitMap(s, t);
}

}  // namespace eld
