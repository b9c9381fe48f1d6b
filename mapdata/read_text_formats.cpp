// The text maps: .fou (free-format numbers, sections with axis 2 fastest, atoms
// by name line plus 13 numbers) and .grd (box header, fixed-column atom lines,
// values with axis 1 fastest).
#include <cstdint>
#include <vector>

#include "mapdata/eld_error.h"
#include "mapdata/map_read_common.h"
#include "mapdata/read_map.h"
#include "mapdata/text_reader.h"

namespace eld {

namespace {

// Every text value takes at least one character and one separator, so a
// header that announces more values than half the remaining bytes is a lie;
// checking this before allocating keeps a garbled header from asking for
// gigabytes.
void CheckValuesFit(const long long n[3], const TextReader& in, const std::string& name) {
    const std::uint64_t values = std::uint64_t(n[0]) * std::uint64_t(n[1]) * std::uint64_t(n[2]);
    if (values > in.Remaining() / 2)
        fail(name + ": the header announces " + std::to_string(n[0]) + " x " +
             std::to_string(n[1]) + " x " + std::to_string(n[2]) + " grid points, but only " +
             std::to_string(in.Remaining()) + " bytes follow (each value needs at least 2)");
}

void ReadGridPoints(TextReader& in, long long n[3], const std::string& name) {
    for (int a = 0; a < 3; ++a) n[a] = in.ReadWholeNumber("a grid point count");
    for (int a = 0; a < 3; ++a) mapread::CheckGridPoints(n[a], a + 1, name);
    CheckValuesFit(n, in, name);
}

float Finite(TextReader& in, const char* what) {
    return static_cast<float>(in.ReadNumber(what));
}

}  // namespace

void ReadMapFouFrom(SceneState& s, InputFile& file) {
    const std::string& name = file.Path();
    SceneState t;
    TextReader in(file);

    in.ReadLine("the first title line");
    in.ReadLine("the second title line");
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.map.CellMatrix[i][j] = Finite(in, "the cell matrix");
    for (float& v : t.map.CellShift) v = Finite(in, "the cell shift");
    in.ReadLine("the end of the cell line");
    for (float& v : t.map.CellParameters) v = Finite(in, "the cell parameters");
    in.ReadLine("the end of the cell parameter line");
    for (int a = 0; a < 3; ++a) {
        t.map.MapGrid.GridOrigin[a] = Finite(in, "the grid origin");
        t.map.MapGrid.GridStep[a] = Finite(in, "the grid step");
        in.ReadNumber("the grid description");
        in.ReadNumber("the grid description");
        in.ReadLine("the end of the grid description line");
    }
    long long n[3];
    ReadGridPoints(in, n, name);
    for (int a = 0; a < 3; ++a) t.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
    mapread::CheckGridExtent(t.map.MapGrid, name);
    const int n1 = int(n[0]), n2 = int(n[1]), n3 = int(n[2]);
    t.map.DensityGrid.Create(n1, n2, n3);

    mapread::DensityRange range;
    float* grid = t.map.DensityGrid.values.data();
    const std::size_t stride = std::size_t(n3) + 1;  // next i2
    for (int i3 = 1; i3 <= n3; ++i3) {
        in.ReadLine("a section title line");
        in.ReadNumber("a section number");
        for (int i1 = 1; i1 <= n1; ++i1) {
            float* row = grid + t.map.DensityGrid.Index(i1, 1, i3);
            for (int i2 = 1; i2 <= n2; ++i2) {
                float v = in.ReadFloatValue("a density value");
                mapread::TakeValue(v, range, row[std::size_t(i2 - 1) * stride], name, i1, i2, i3);
            }
        }
    }
    t.map.MapGrid.DensityMin = range.min;
    t.map.MapGrid.DensityMax = range.max;
    mapread::SetMeanAndRms(t);

    in.ReadLine("the line after the last section");
    const long long atoms = in.ReadWholeNumber("the atom count");
    in.ReadWholeNumber("the number after the atom count");
    mapread::CheckAtomCount(atoms, name);
    t.map.AtomCount = atoms < 1 ? 0 : int(atoms);
    t.map.AtomNames.assign(t.map.AtomCount, std::string());
    t.map.AtomData.assign(t.map.AtomCount, {});
    for (int a = 0; a < t.map.AtomCount; ++a) {
        std::string_view line = in.ReadLine("an atom name line");
        if (line.empty() || line.size() > 4)
            fail_fatal("Your atom name looks strange, name lengh  <> [1,2,3,4]");
        std::string atom_name(line);
        atom_name.resize(4, ' ');
        t.map.AtomNames[a] = atom_name;
        for (int k = 0; k < 3; ++k) in.ReadNumber("an atom record");
        for (int c = 0; c < 3; ++c) t.map.AtomData[a][c] = Finite(in, "an atom coordinate");
        for (int k = 0; k < 7; ++k) in.ReadNumber("an atom record");
    }
    mapread::PlaceAndCheck(t, name);
    mapread::CommitMap(s, t);
}

void ReadMapGrdFrom(SceneState& s, InputFile& file) {
    const std::string& name = file.Path();
    SceneState t;
    TextReader in(file);

    for (int k = 0; k < 4; ++k) in.ReadLine("the four title lines");
    long long n[3];
    ReadGridPoints(in, n, name);
    for (int a = 0; a < 3; ++a) {
        // The step is the box size over N-1 intervals: one point spans nothing.
        if (n[a] < 2)
            fail(name + ": a .grd map needs at least 2 grid points along axis " +
                 std::to_string(a + 1));
        t.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
    }
    const int n1 = int(n[0]), n2 = int(n[1]), n3 = int(n[2]);

    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t.map.CellMatrix[i][j] = (i == j) ? 1.0f : 0.0f;
    for (float& v : t.map.CellParameters) v = 1.0f;
    for (float& v : t.map.MapGrid.GridOrigin) v = 0.0f;
    float centre[3], box[3];
    for (float& v : centre) v = Finite(in, "the box centre");
    for (float& v : box) v = Finite(in, "the box size");
    for (int a = 0; a < 3; ++a) {
        t.map.MapGrid.GridStep[a] =
            (box[a] - t.map.MapGrid.GridOrigin[a]) / static_cast<float>(n[a] - 1);
        t.map.CellShift[a] = centre[a] - box[a] / 2.0f;
        mapread::CheckFinite(t.map.MapGrid.GridStep[a], "the grid step", name);
        mapread::CheckFinite(t.map.CellShift[a], "the cell shift", name);
    }
    mapread::CheckGridExtent(t.map.MapGrid, name);
    t.map.DensityGrid.Create(n1, n2, n3);

    in.ReadLine("the end of the box line");
    const long long atoms = in.ReadWholeNumber("the atom count");
    mapread::CheckAtomCount(atoms, name);
    t.map.AtomCount = atoms < 1 ? 0 : int(atoms);
    t.map.AtomNames.assign(t.map.AtomCount, std::string());
    t.map.AtomData.assign(t.map.AtomCount, {});
    for (int a = 0; a < t.map.AtomCount; ++a) {
        std::string_view line = in.ReadLine("an atom line");
        t.map.AtomNames[a] = std::string(1, line.empty() ? ' ' : line[0]) + "   ";
        t.map.AtomData[a][0] = static_cast<float>(LeadingNumber(Columns(line, 10, 18)));
        t.map.AtomData[a][1] = static_cast<float>(LeadingNumber(Columns(line, 20, 28)));
        t.map.AtomData[a][2] = static_cast<float>(LeadingNumber(Columns(line, 30, 38)));
    }
    mapread::PlaceAndCheck(t, name);

    for (int k = 0; k < 3; ++k) in.ReadLine("the three lines before the values");
    // Values come with axis 1 fastest, but the grid keeps axis 3 fastest, so
    // consecutive values would land a whole (N2+1)*(N3+1) plane apart. Reading
    // one section into a scratch buffer first keeps the scatter within a
    // section, the same pattern as the other formats.
    mapread::DensityRange range;
    std::vector<float> section(std::size_t(n1) * n2);
    const std::size_t stride = std::size_t(n3) + 1;  // next i2 in the grid
    float* grid = t.map.DensityGrid.values.data();
    for (int i3 = 1; i3 <= n3; ++i3) {
        float* v = section.data();
        for (int i2 = 1; i2 <= n2; ++i2)
            for (int i1 = 1; i1 <= n1; ++i1, ++v)
                mapread::TakeValue(in.ReadFloatValue("a density value"), range, *v, name, i1, i2,
                                   i3);
        for (int i1 = 1; i1 <= n1; ++i1) {
            float* row = grid + t.map.DensityGrid.Index(i1, 1, i3);
            const float* src = section.data() + (i1 - 1);
            for (int i2 = 0; i2 < n2; ++i2)
                row[std::size_t(i2) * stride] = src[std::size_t(i2) * n1];
        }
    }
    t.map.MapGrid.DensityMin = range.min;
    t.map.MapGrid.DensityMax = range.max;
    mapread::SetMeanAndRms(t);
    mapread::CommitMap(s, t);
}

}  // namespace eld
