// Builders of CCP4/MRC and cube files for the conversion tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "tests/core/temp_folder.h"

namespace eld::testing {

// The map's values are i + 10 j + 100 k at indices (i, j, k) from 0.
inline void ExpectIndexValues(const ForeignMap& m, const int n[3]) {
    ASSERT_EQ(std::vector(m.N, m.N + 3), std::vector(n, n + 3));
    for (int k = 0; k < n[2]; ++k)
        for (int j = 0; j < n[1]; ++j)
            for (int i = 0; i < n[0]; ++i)
                ASSERT_EQ(m.Values[m.Index(i, j, k)], i + 10 * j + 100 * k)
                    << "at " << i << "," << j << "," << k;
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
                        mode == 0   ? 1
                        : mode == 1 ? 2
                                    : 4,
                        b.size());
                }
        return b;
    }
    void Write(const std::string& path) const { WriteBytes(path, Bytes()); }
};

}  // namespace eld::testing
