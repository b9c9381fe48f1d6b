#include "mapdata/write_map.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "export/atomic_file.h"
#include "mapdata/eld_error.h"
#include "mapdata/read_map.h"

namespace eld {
namespace {

// ---- binary pieces: always little-endian, whatever the host ----
void PutInt(std::string& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int b = 0; b < 4; ++b) out += static_cast<char>((u >> (8 * b)) & 0xFF);
}
void PutFloat(std::string& out, float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    PutInt(out, static_cast<std::int32_t>(u));
}
void Skip(std::string& out, std::size_t n) {
    out.append(n, '\0');
}

// ---- text numbers: the shortest form that reads back as the same float ----
void PutNumber(std::string& out, float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}
std::string Num(float v) {
    std::string s;
    PutNumber(s, v);
    return s;
}

// A .grd coordinate field: 9 characters, as many decimals as fit.
std::string GrdField(double v) {
    char buf[64];
    for (int decimals = 5; decimals >= 0; --decimals) {
        std::snprintf(buf, sizeof buf, "%9.*f", decimals, v);
        if (std::strlen(buf) <= 9) return buf;
    }
    return "";
}

void CheckCounts(const MapForWriting& map, const std::string& path) {
    static const char* const kName[3] = {"N1", "N2", "N3"};
    for (int a = 0; a < 3; ++a)
        if (map.N[a] < 1 || map.N[a] > kMaxGridPoints)
            fail(path + ": grid size " + kName[a] + " is " + std::to_string(map.N[a]) +
                 ", the viewer reads 1 to " + std::to_string(kMaxGridPoints) + " points per axis");
    if (map.Values.size() != static_cast<std::size_t>(map.N[0]) * map.N[1] * map.N[2])
        fail(path + ": the map holds " + std::to_string(map.Values.size()) +
             " values for a grid of " + std::to_string(map.N[0]) + "×" + std::to_string(map.N[1]) +
             "×" + std::to_string(map.N[2]));
    if (map.AtomNames.size() != map.AtomFractional.size())
        fail(path + ": atom names and positions differ in number");
    if (static_cast<int>(map.AtomNames.size()) > kMaxAtoms)
        fail(path + ": " + std::to_string(map.AtomNames.size()) +
             " atoms, the viewer reads at most " + std::to_string(kMaxAtoms));
    // Every number of the header and the atom records must be one the readers
    // take back: "inf" or "nan" in a text map, or in .mt1, is refused.
    auto finite = [&](float v, const char* what) {
        if (!std::isfinite(v)) fail(path + ": " + what + " is " + Num(v) + ", not a finite number");
    };
    for (const auto& row : map.CellMatrix)
        for (float v : row) finite(v, "a cell matrix element");
    for (float v : map.CellShift) finite(v, "the cell shift");
    for (float v : map.CellParameters) finite(v, "a cell parameter");
    for (int a = 0; a < 3; ++a) {
        finite(map.GridOrigin[a], "the grid origin");
        finite(map.GridStep[a], "the grid step");
    }
    for (const auto& f : map.AtomFractional)
        for (float v : f) finite(v, "an atom coordinate");
    for (const std::string& name : map.AtomNames)
        for (char c : name)
            if (static_cast<unsigned char>(c) < 0x20)
                fail(path + ": an atom name holds a control character");
}

// A title goes on one line of the text formats.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string Name4(const std::string& name) {
    std::string n = name.substr(0, 4);
    n.resize(4, ' ');
    return n;
}

}  // namespace

void CheckMapValues(const MapForWriting& map, const std::string& path) {
    for (std::size_t i = 0; i < map.Values.size(); ++i) {
        const float v = map.Values[i];
        if (!(v >= -10000.0f && v <= 10000.0f)) {
            const int n1 = map.N[0], n2 = map.N[1];
            const std::size_t i1 = i % n1 + 1, i2 = i / n1 % n2 + 1, i3 = i / n1 / n2 + 1;
            fail(path + ": the density value " + Num(v) + " at grid point (" + std::to_string(i1) +
                 ", " + std::to_string(i2) + ", " + std::to_string(i3) +
                 ") is outside the range -10000 to 10000 the viewer reads; scale the map (eldmap "
                 "convert --scale)");
        }
    }
}

namespace {

std::string EncodeMt1(const MapForWriting& map, const std::string& path) {
    CheckCounts(map, path);
    CheckMapValues(map, path);
    const int n1 = map.N[0], n2 = map.N[1], n3 = map.N[2];
    std::string out;
    out.reserve(256 + static_cast<std::size_t>(n1) * n2 * n3 * 4 + 14 * n3 +
                58 * map.AtomNames.size());
    Skip(out, 38);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) PutFloat(out, map.CellMatrix[r][c]);  // offset 38
    for (float v : map.CellShift) PutFloat(out, v);                       // 74
    Skip(out, 6);
    for (float v : map.CellParameters) PutFloat(out, v);  // 92
    Skip(out, 6);
    for (int a = 0; a < 3; ++a) {  // 122
        PutFloat(out, map.GridOrigin[a]);
        PutFloat(out, map.GridStep[a]);
        PutFloat(out, 0.0f);
        PutFloat(out, 0.0f);
    }
    Skip(out, 6);
    for (int a = 0; a < 3; ++a) PutInt(out, map.N[a]);  // 176
    for (int i3 = 1; i3 <= n3; ++i3) {                  // 188
        Skip(out, i3 == 1 ? 10 : 14);
        for (int i1 = 1; i1 <= n1; ++i1)
            for (int i2 = 1; i2 <= n2; ++i2) PutFloat(out, map.at(i1, i2, i3));
    }
    Skip(out, 6);
    PutInt(out, static_cast<std::int32_t>(map.AtomNames.size()));
    PutInt(out, 14);  // WordsPerAtom
    for (std::size_t n = 0; n < map.AtomNames.size(); ++n) {
        Skip(out, 2);
        out += Name4(map.AtomNames[n]);
        Skip(out, 12);
        for (float v : map.AtomFractional[n]) PutFloat(out, v);
        Skip(out, 28);
    }
    return out;
}

std::string EncodeFou(const MapForWriting& map, const std::string& path) {
    CheckCounts(map, path);
    CheckMapValues(map, path);
    for (const std::string& name : map.AtomNames)
        if (name.find_first_not_of(' ') == std::string::npos)
            fail(path + ": an atom has a blank name; the .fou format needs 1 to 4 characters");
    const int n1 = map.N[0], n2 = map.N[1], n3 = map.N[2];
    std::string out;
    out.reserve(256 + static_cast<std::size_t>(n1) * n2 * n3 * 12);
    // After the last number of a header line the reader takes the rest of that
    // line, so each header line ends in a short label.
    out += OneLine(map.Title) + "\n";
    out += "written by eldmap convert\n";
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out += Num(map.CellMatrix[r][c]) + " ";
    for (int k = 0; k < 3; ++k) out += Num(map.CellShift[k]) + " ";
    out += " cell matrix, shift\n";
    for (float v : map.CellParameters) out += Num(v) + " ";
    out += " cell\n";
    for (int a = 0; a < 3; ++a)
        out += Num(map.GridOrigin[a]) + " " + Num(map.GridStep[a]) + " 0 0  axis " +
               std::to_string(a + 1) + "\n";
    out += std::to_string(n1) + " " + std::to_string(n2) + " " + std::to_string(n3) + "\n";
    for (int i3 = 1; i3 <= n3; ++i3) {
        out += " section " + std::to_string(i3) + "\n" + std::to_string(i3) + "\n";
        int on_line = 0;
        for (int i1 = 1; i1 <= n1; ++i1)
            for (int i2 = 1; i2 <= n2; ++i2) {
                PutNumber(out, map.at(i1, i2, i3));
                if (++on_line == 10 || (i1 == n1 && i2 == n2)) {
                    out += '\n';
                    on_line = 0;
                } else {
                    out += ' ';
                }
            }
    }
    out += " atoms\n" + std::to_string(map.AtomNames.size()) + " 14\n";
    for (std::size_t n = 0; n < map.AtomNames.size(); ++n) {
        std::string name = Name4(map.AtomNames[n]);
        name.erase(name.find_last_not_of(' ') + 1);
        out += name + "\n0 0 0 ";
        for (float v : map.AtomFractional[n]) out += Num(v) + " ";
        out += "0 0 0 0 0 0 0\n";
    }
    return out;
}

std::string EncodeGrd(const MapForWriting& map, const std::string& path,
                      std::vector<std::string>* warnings) {
    CheckCounts(map, path);
    CheckMapValues(map, path);
    const int n1 = map.N[0], n2 = map.N[1], n3 = map.N[2];
    for (int a = 0; a < 3; ++a)
        if (map.N[a] < 2)
            fail(path + ": the .grd format needs at least 2 grid points per axis (N" +
                 std::to_string(a + 1) + " is " + std::to_string(map.N[a]) + ")");
    // The reader puts grid point 1 at 0 and an atom at p - C + E/2. Atoms are
    // written at p = CellMatrix * fractional, the Cartesian position in the
    // cell's frame; their scene position is p - CellMatrix * CellShift. With
    // E = (N-1)*step and C = GridOrigin + CellMatrix * CellShift + E/2 they keep
    // their place relative to the grid, and peaks picked on the .grd map are
    // saved (scene + C - E/2) in the same Cartesian frame as the atoms.
    float e[3], c[3];
    for (int a = 0; a < 3; ++a) {
        double ms = 0;
        for (int j = 0; j < 3; ++j)
            ms += static_cast<double>(map.CellMatrix[a][j]) * map.CellShift[j];
        e[a] = static_cast<float>((map.N[a] - 1) * static_cast<double>(map.GridStep[a]));
        c[a] = static_cast<float>(map.GridOrigin[a] + ms + e[a] / 2.0);
    }
    std::string lost;
    std::string out;
    out.reserve(512 + static_cast<std::size_t>(n1) * n2 * n3 * 12);
    out +=
        OneLine(map.Title) + "\nwritten by eldmap convert\ngrid points, box centre, box size\n\n";
    out += std::to_string(n1) + " " + std::to_string(n2) + " " + std::to_string(n3) + "\n";
    out += Num(c[0]) + " " + Num(c[1]) + " " + Num(c[2]) + "\n";
    out += Num(e[0]) + " " + Num(e[1]) + " " + Num(e[2]) + "\n";
    out += "atoms\n" + std::to_string(map.AtomNames.size()) + "\n";
    for (std::size_t n = 0; n < map.AtomNames.size(); ++n) {
        const std::string name = Name4(map.AtomNames[n]);
        if (name.substr(1) != "   ")
            lost += (lost.empty() ? "" : ", ") + name.substr(0, name.find_last_not_of(' ') + 1);
        const auto& f = map.AtomFractional[n];
        double q[3];
        for (int i = 0; i < 3; ++i) {
            q[i] = 0;
            for (int j = 0; j < 3; ++j) q[i] += static_cast<double>(map.CellMatrix[i][j]) * f[j];
        }
        std::string field = name;
        field.resize(8, ' ');
        for (int i = 0; i < 3; ++i) {
            const std::string v = GrdField(q[i]);
            if (v.empty())
                fail(path + ": atom " + std::to_string(n + 1) + " lies at " +
                     Num(static_cast<float>(q[i])) +
                     ", too far out for the 9-character coordinate fields of the .grd format");
            field += " " + v;
        }
        out += field + "\n";
    }
    out += "\ndensity, axis 1 fastest\n\n";
    int on_line = 0;
    for (int i3 = 1; i3 <= n3; ++i3)
        for (int i2 = 1; i2 <= n2; ++i2)
            for (int i1 = 1; i1 <= n1; ++i1) {
                PutNumber(out, map.at(i1, i2, i3));
                if (++on_line == 10) {
                    out += '\n';
                    on_line = 0;
                } else {
                    out += ' ';
                }
            }
    if (on_line) out.back() = '\n';
    if (warnings && !lost.empty())
        warnings->push_back(path +
                            ": the .grd format keeps only the first letter of an atom name; " +
                            "these names lose letters: " + lost);
    return out;
}

}  // namespace

std::string EncodeMapMt1(const MapForWriting& map, const std::string& name) {
    return EncodeMt1(map, name);
}

void WriteMapMt1(const MapForWriting& map, const std::string& path) {
    AtomicWrite(path, EncodeMt1(map, path));
}
void WriteMapFou(const MapForWriting& map, const std::string& path) {
    AtomicWrite(path, EncodeFou(map, path));
}
void WriteMapGrd(const MapForWriting& map, const std::string& path,
                 std::vector<std::string>* warnings) {
    AtomicWrite(path, EncodeGrd(map, path, warnings));
}

std::string EncodeMap(const MapForWriting& map, const std::string& path,
                      std::vector<std::string>* warnings) {
    const std::string ext = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    if (ext == "mt1" || ext == "MT1") return EncodeMt1(map, path);
    if (ext == "fou" || ext == "FOU") return EncodeFou(map, path);
    if (ext == "grd" || ext == "GRD") return EncodeGrd(map, path, warnings);
    fail(path + ": the output name must end in .mt1, .fou or .grd");
}

void WriteMapFile(const MapForWriting& map, const std::string& path,
                  std::vector<std::string>* warnings) {
    const std::string bytes = EncodeMap(map, path, warnings);
    try {
        SceneState check;
        ReadMapFileBuffer(check, bytes, path);
    } catch (const EldError& e) {
        fail(path + ": not written, the viewer would refuse the map (" + e.what() + ")");
    }
    AtomicWrite(path, bytes);
}

}  // namespace eld
