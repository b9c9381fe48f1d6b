#include "mapdata/read_cube.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>

#include "mapdata/eld_error.h"
#include "mapdata/input_file.h"
#include "mapdata/text_reader.h"

namespace eld {
namespace {

// Whitespace-separated numbers of the header lines, one line at a time, so a
// message can name the line.
struct CubeText {
    InputFile& file;
    TextReader in;
    std::string path;
    int line_no = 0;

    [[noreturn]] void Bad(const std::string& what) const {
        fail(path + ": line " + std::to_string(line_no) + ": " + what);
    }
    std::string Line(const char* what) {
        ++line_no;
        if (in.AtEnd()) Bad(std::string("the file ends before ") + what);
        return std::string(in.ReadLine(what));
    }
    // The numbers of one line; at least `need` of them.
    std::vector<double> Numbers(const char* what, std::size_t need) {
        const std::string s = Line(what);
        std::vector<double> out;
        const char* p = s.c_str();
        while (true) {
            while (*p == ' ' || *p == '\t') ++p;
            if (!*p) break;
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(p, &end);
            if (end == p || errno == ERANGE || !std::isfinite(v)) {
                if (out.size() >= need) break;  // trailing words are allowed
                Bad(std::string(what) + ": '" + std::string(p).substr(0, 20) + "' is not a number");
            }
            out.push_back(v);
            p = end;
        }
        if (out.size() < need)
            Bad(std::string(what) + ": expected " + std::to_string(need) + " numbers, found " +
                std::to_string(out.size()));
        return out;
    }
};

int WholeNumber(const CubeText& t, double v, const std::string& what) {
    if (v != std::floor(v) || std::fabs(v) > 1e9)
        t.Bad(what + " is " + std::to_string(v) + ", expected a whole number");
    return static_cast<int>(v);
}

}  // namespace

ForeignMap ReadCubeMap(const std::string& path) {
    InputFile file(path, "cube file");
    CubeText t{file, TextReader(file), path};

    t.Line("the first title line");
    t.Line("the second title line");
    const std::vector<double> l3 = t.Numbers("atom count and origin", 4);
    const int natoms_signed = WholeNumber(t, l3[0], "the atom count");
    const int natoms = std::abs(natoms_signed);
    if (natoms > 32766) t.Bad("the atom count " + std::to_string(natoms) + " is above 32766");
    int values_per_point = 1;
    if (l3.size() >= 5 && natoms_signed >= 0) {
        values_per_point = WholeNumber(t, l3[4], "the number of values per point");
        if (values_per_point < 1)
            t.Bad("the number of values per point is " + std::to_string(values_per_point));
    }

    ForeignMap m;
    m.SourcePath = path;
    double steps[3][3];
    bool angstrom[3];
    static const char* const kAxis[3] = {"first grid axis", "second grid axis", "third grid axis"};
    for (int a = 0; a < 3; ++a) {
        const std::vector<double> l = t.Numbers(kAxis[a], 4);
        const int n = WholeNumber(t, l[0], std::string("the point count of the ") + kAxis[a]);
        if (n == 0 || std::abs(n) > 32766)
            t.Bad(std::string("the point count of the ") + kAxis[a] + " is " + std::to_string(n) +
                  ", expected 1 to 32766 (negative for Ångström)");
        angstrom[a] = n < 0;
        m.N[a] = std::abs(n);
        for (int k = 0; k < 3; ++k) steps[a][k] = l[1 + k];
    }
    if (angstrom[0] != angstrom[1] || angstrom[0] != angstrom[2])
        t.Bad("the point counts mix bohr (positive) and Ångström (negative) units");
    const double unit = angstrom[0] ? 1.0 : kBohrInAngstrom;

    for (int k = 0; k < 3; ++k) m.PointZero[k] = l3[1 + k] * unit;
    m.CellOrigin = m.PointZero;
    for (int a = 0; a < 3; ++a) {
        m.Sampling[a] = m.N[a];
        for (int k = 0; k < 3; ++k) m.Cell[k][a] = steps[a][k] * unit * m.N[a];
    }
    Inverse3(m.Cell, path + ": the grid step vectors");

    m.Atoms.reserve(natoms);
    for (int i = 0; i < natoms; ++i) {
        const std::string what = "atom " + std::to_string(i + 1);
        const std::vector<double> l = t.Numbers(what.c_str(), 5);
        const int z = WholeNumber(t, l[0], what + ": the atomic number");
        ForeignAtom atom;
        atom.Element = ElementSymbol(z);
        if (atom.Element.empty())
            t.Bad(what + ": the atomic number " + std::to_string(z) + " is not an element (1-118)");
        for (int k = 0; k < 3; ++k) atom.Cartesian[k] = l[2 + k] * unit;
        m.Atoms.push_back(atom);
    }
    if (natoms_signed < 0) {
        // Orbital file: a line with the orbital count and their numbers.
        const std::vector<double> l = t.Numbers("the orbital list", 1);
        values_per_point = WholeNumber(t, l[0], "the orbital count");
        if (values_per_point < 1) t.Bad("the orbital count is " + std::to_string(values_per_point));
    }

    // Values: x slowest, z fastest; the first of each point's values is kept.
    const std::size_t points = static_cast<std::size_t>(m.N[0]) * m.N[1] * m.N[2];
    // Every value takes at least two characters; a header promising more than
    // the file can hold is refused before the grid is allocated.
    const auto bytes = file.Size();
    if (static_cast<double>(points) * values_per_point > static_cast<double>(bytes) / 2)
        fail(
            path + ": the grid " + std::to_string(m.N[0]) + "×" + std::to_string(m.N[1]) + "×" +
            std::to_string(m.N[2]) + " (" + std::to_string(points) + " points" +
            (values_per_point > 1 ? ", " + std::to_string(values_per_point) + " values each" : "") +
            ") needs more density values than the file of " + std::to_string(bytes) +
            " bytes holds");
    try {
        m.Values.resize(points);
    } catch (const std::bad_alloc&) {
        file.FailRead("not enough memory for its grid of " + std::to_string(points) + " points");
    }
    std::string word;
    std::size_t taken = 0;
    for (int i = 0; i < m.N[0]; ++i)
        for (int j = 0; j < m.N[1]; ++j)
            for (int k = 0; k < m.N[2]; ++k)
                for (int v = 0; v < values_per_point; ++v, ++taken) {
                    word = t.in.ReadWord();
                    if (word.empty())
                        fail(path + ": the file ends after " + std::to_string(taken) +
                             " density values; the grid " + std::to_string(m.N[0]) + "×" +
                             std::to_string(m.N[1]) + "×" + std::to_string(m.N[2]) + " needs " +
                             std::to_string(points * values_per_point));
                    char* end = nullptr;
                    const double d = std::strtod(word.c_str(), &end);
                    if (*end || !std::isfinite(d) || std::fabs(d) > 3.4e38)
                        fail(path + ": density value " + std::to_string(taken + 1) + " '" + word +
                             "' is not a number");
                    if (v == 0) m.Values[m.Index(i, j, k)] = static_cast<float>(d);
                }
    return m;
}

}  // namespace eld
