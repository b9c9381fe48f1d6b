// Builders of small maps byte for byte for the reader and conversion tests:
// the three formats, CCP4/MRC. The values of a grid point come from a function
// of its indices so a value that lands at the wrong point is caught.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mapdata/convert_map.h"
#include "mapdata/geometry.h"
#include "mapdata/scene_state.h"
#include "mapdata/write_map.h"
#include "tests/core/temp_folder.h"

namespace eld::testmaps {

struct TestAtom {
    std::string name;  // as written to the file
    float x = 0, y = 0, z = 0;
};

struct TestMap {
    int n[3] = {3, 4, 2};
    float origin[3] = {-1.0f, 0.5f, 2.0f};
    float step[3] = {0.25f, 0.5f, 0.75f};
    Matrix3 matrix{{{2, 0, 0}, {0, 3, 0}, {0.5f, 0, 4}}};
    float shift[3] = {0.1f, 0.2f, 0.3f};
    std::vector<TestAtom> atoms;
    std::function<float(int, int, int)> value = [](int i1, int i2, int i3) {
        return float(i1 * 100 + i2 * 10 + i3) + 0.5f;
    };
    int words_per_atom = 14;
};

inline void PutInt(std::string& b, std::int32_t v) {
    for (int k = 0; k < 4; ++k) b += char((std::uint32_t(v) >> (8 * k)) & 0xFF);
}
inline void PutFloat(std::string& b, float v) {
    PutInt(b, std::bit_cast<std::int32_t>(v));
}
// Skipped bytes hold 0xFF: read as floats they would be NaN, so a reader that
// steps wrongly fails loudly.
inline void PutGap(std::string& b, std::size_t n) {
    b.append(n, char(0xFF));
}
inline std::string Mt1(const TestMap& m) {
    std::string b;
    PutGap(b, 38);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) PutFloat(b, m.matrix[i][j]);
    for (float v : m.shift) PutFloat(b, v);
    PutGap(b, 6);
    for (int k = 0; k < 6; ++k) PutFloat(b, 10.0f + k);
    PutGap(b, 6);
    for (int a = 0; a < 3; ++a)
        for (float v : {m.origin[a], m.step[a], 77.0f, 88.0f}) PutFloat(b, v);
    PutGap(b, 6);
    for (int a = 0; a < 3; ++a) PutInt(b, m.n[a]);
    for (int i3 = 1; i3 <= m.n[2]; ++i3) {
        PutGap(b, i3 == 1 ? 10 : 14);
        for (int i1 = 1; i1 <= m.n[0]; ++i1)
            for (int i2 = 1; i2 <= m.n[1]; ++i2) PutFloat(b, m.value(i1, i2, i3));
    }
    PutGap(b, 6);
    PutInt(b, static_cast<std::int32_t>(m.atoms.size()));
    PutInt(b, m.words_per_atom);
    for (const TestAtom& a : m.atoms) {
        PutGap(b, 2);
        std::string name = a.name;
        name.resize(4, ' ');
        b += name;
        for (float v : {5.0f, 5.0f, 5.0f, a.x, a.y, a.z}) PutFloat(b, v);
        for (int k = 0; k < 7; ++k) PutFloat(b, 6.0f);
    }
    return b;
}

inline std::string Num(float v, const char* format = "%.9g") {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// The .fou text mixes the separators the number reader accepts: blanks,
// commas, numbers at line ends, and text after the last number of a line.
inline std::string Fou(const TestMap& m) {
    std::string t = "title line one\r\n  second title, with a comma\n";
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t += Num(m.matrix[i][j]) + (j == 2 ? "  " : ", ");
    t += Num(m.shift[0]) + " " + Num(m.shift[1]) + " " + Num(m.shift[2]) + "  matrix and shift\n";
    // The parameters end their line, so the line read takes the next line whole.
    for (int k = 0; k < 6; ++k) t += Num(10.0f + k) + (k == 5 ? "\n" : " ");
    t += "this line is read and dropped\n";
    for (int a = 0; a < 3; ++a)
        t += Num(m.origin[a]) + "," + Num(m.step[a]) + ", 0 0   axis " + std::to_string(a + 1) +
             "\n";
    t += std::to_string(m.n[0]) + "  " + std::to_string(m.n[1]) + " " + std::to_string(m.n[2]) +
         "\n";
    for (int i3 = 1; i3 <= m.n[2]; ++i3) {
        const std::string k = std::to_string(i3);
        t += " section " + k + "\n" + k + "\n";
        for (int i1 = 1; i1 <= m.n[0]; ++i1) {
            for (int i2 = 1; i2 <= m.n[1]; ++i2) (t += ' ') += Num(m.value(i1, i2, i3));
            t += "\n";
        }
    }
    t += "end of the map\n";
    t += std::to_string(m.atoms.size()) + " 14\n";
    for (const TestAtom& a : m.atoms) {
        t += a.name + "\n";
        t += "1 2 3 " + Num(a.x) + " " + Num(a.y) + " " + Num(a.z) + "\n";
        t += "0 0 0 0 0 0 0\n";
    }
    return t;
}

// .grd: box centre c and size e; atoms in fixed columns 10-18, 20-28, 30-38.
inline std::string Grd(const TestMap& m, const float c[3], const float e[3]) {
    std::string t = "grd title 1\ngrd title 2\ngrd title 3\ngrd title 4\n";
    t +=
        std::to_string(m.n[0]) + " " + std::to_string(m.n[1]) + " " + std::to_string(m.n[2]) + "\n";
    for (const float* v : {c, e}) t += Num(v[0]) + " " + Num(v[1]) + " " + Num(v[2]) + "\n";
    t += "the line after the box\n";
    t += std::to_string(m.atoms.size()) + "\n";
    for (const TestAtom& a : m.atoms) {
        std::string line = a.name;
        line.resize(9, ' ');
        line += Num(a.x, "%9.4f") + " " + Num(a.y, "%9.4f") + " " + Num(a.z, "%9.4f") + "  rest";
        t += line + "\n";
    }
    t += "values 1\nvalues 2\nvalues 3\n";
    int col = 0;
    for (int i3 = 1; i3 <= m.n[2]; ++i3)
        for (int i2 = 1; i2 <= m.n[1]; ++i2)
            for (int i1 = 1; i1 <= m.n[0]; ++i1) {
                t += Num(m.value(i1, i2, i3));
                t += (++col % 5 == 0) ? "\n" : "  ";
            }
    t += "\n";
    return t;
}

// A crystal map of n points from `start` along each axis of a cell sampled
// `sampling`, valued f(fractional position); periodic where it covers the cell.
inline ForeignMap SampledMap(const double (&cell)[6], std::array<int, 3> n,
                             std::array<int, 3> sampling, std::array<int, 3> start,
                             const std::function<double(const Vec3d&)>& f) {
    ForeignMap m;
    m.SourcePath = "sampled";
    m.Cell = OrthogonalisationMatrix(cell);
    for (int a = 0; a < 3; ++a) {
        m.N[a] = n[a], m.Sampling[a] = sampling[a], m.Start[a] = start[a];
        m.Periodic[a] = n[a] == sampling[a];
    }
    m.Values.resize(static_cast<std::size_t>(n[0]) * n[1] * n[2]);
    for (std::size_t v = 0; v < m.Values.size(); ++v) {
        const std::size_t i[3] = {v % n[0], v / n[0] % n[1], v / n[0] / n[1]};
        Vec3d t;
        for (int a = 0; a < 3; ++a) t[a] = double(start[a] + int(i[a])) / sampling[a];
        m.Values[v] = static_cast<float>(f(t));
    }
    return m;
}

// The scene position of atom n of a converted map: CellMatrix * (f - CellShift).
inline std::array<double, 3> AtomInScene(const MapForWriting& m, int n) {
    std::array<double, 3> q{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            q[i] += double(m.CellMatrix[i][j]) * (m.AtomFractional[n][j] - m.CellShift[j]);
    return q;
}

// A CCP4 map; the value of a point is given by its indices along a, b, c
// (counted from 0 within the stored block).
struct Ccp4Builder {
    int dims_abc[3] = {3, 4, 5};
    int axis[3] = {1, 2, 3};  // MAPC, MAPR, MAPS
    int start_abc[3] = {0, 0, 0};
    int sampling[3] = {3, 4, 5};
    float cell[6] = {6, 8, 10, 90, 90, 90};
    int mode = 2;
    bool big_endian = false;
    unsigned char stamp = 0;  // 0: the right one for the byte order
    int nsymbt = 0;
    int ispg = 0;  // space group number (word 23)
    float origin[3] = {0, 0, 0};
    std::array<char, 4> map_word = {'M', 'A', 'P', ' '};
    std::function<float(int, int, int)> value = [](int i, int j, int k) {
        return static_cast<float>(i + 10 * j + 100 * k);
    };

    std::vector<unsigned char> Bytes() const {
        std::vector<unsigned char> b(1024 + nsymbt, 0);
        // The low `width` bytes of u in the file's byte order, at `off` or appended.
        auto put = [&](std::uint32_t u, int width, std::size_t off) {
            if (off == b.size()) b.resize(off + width);
            for (int k = 0; k < width; ++k)
                b[off + k] =
                    static_cast<unsigned char>(u >> (8 * (big_endian ? width - 1 - k : k)));
        };
        auto puti = [&](int word, int v) { put(static_cast<std::uint32_t>(v), 4, 4 * (word - 1)); };
        auto putf = [&](int word, float v) {
            put(std::bit_cast<std::uint32_t>(v), 4, 4 * (word - 1));
        };
        int file_dims[3];
        for (int w = 0; w < 3; ++w) file_dims[w] = dims_abc[axis[w] - 1];
        for (int w = 0; w < 3; ++w) {
            puti(1 + w, file_dims[w]);
            puti(5 + w, start_abc[axis[w] - 1]);
            puti(8 + w, sampling[w]);
            puti(17 + w, axis[w]);
            putf(50 + w, origin[w]);
        }
        puti(4, mode);
        for (int k = 0; k < 6; ++k) putf(11 + k, cell[k]);
        puti(23, ispg);
        puti(24, nsymbt);
        std::memcpy(&b[208], map_word.data(), 4);
        b[212] = stamp ? stamp : (big_endian ? 0x11 : 0x44);
        b[213] = b[212];
        std::fill(b.begin() + 1024, b.end(), 0xFF);  // an extended header to be skipped
        int idx[3];
        for (int s = 0; s < file_dims[2]; ++s)
            for (int r = 0; r < file_dims[1]; ++r)
                for (int c = 0; c < file_dims[0]; ++c) {
                    idx[axis[0] - 1] = c;
                    idx[axis[1] - 1] = r;
                    idx[axis[2] - 1] = s;
                    const float v = value(idx[0], idx[1], idx[2]);
                    // Modes 0 and 1: the low byte(s) of the value as a whole number.
                    put(mode == 2 ? std::bit_cast<std::uint32_t>(v)
                                  : static_cast<std::uint32_t>(static_cast<std::int32_t>(v)),
                        mode == 2 ? 4 : mode + 1, b.size());
                }
        return b;
    }
    void Write(const std::string& path) const { testing::WriteBytes(path, Bytes()); }
};

}  // namespace eld::testmaps
