// Builders of small maps in the three formats, byte for byte, for the reader
// tests. The values of a grid point come from a function of its indices so a
// value that lands at the wrong point is caught.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mapdata/scene_state.h"

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
    for (int a = 0; a < 3; ++a) {
        PutFloat(b, m.origin[a]);
        PutFloat(b, m.step[a]);
        PutFloat(b, 77.0f);
        PutFloat(b, 88.0f);
    }
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
        for (int k = 0; k < 3; ++k) PutFloat(b, 5.0f);
        PutFloat(b, a.x);
        PutFloat(b, a.y);
        PutFloat(b, a.z);
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

}  // namespace eld::testmaps
