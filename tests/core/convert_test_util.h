// Builders of CCP4/MRC and cube files for the conversion tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
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
    ASSERT_EQ(m.N[0], n[0]);
    ASSERT_EQ(m.N[1], n[1]);
    ASSERT_EQ(m.N[2], n[2]);
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
        auto put32 = [&](std::size_t off, std::uint32_t u) {
            for (int k = 0; k < 4; ++k)
                b[off + k] = static_cast<unsigned char>(u >> (8 * (big_endian ? 3 - k : k)));
        };
        auto puti = [&](int word, int v) { put32(4 * (word - 1), static_cast<std::uint32_t>(v)); };
        auto putf = [&](int word, float v) {
            std::uint32_t u;
            std::memcpy(&u, &v, 4);
            put32(4 * (word - 1), u);
        };
        int file_dims[3];
        for (int w = 0; w < 3; ++w) file_dims[w] = dims_abc[axis[w] - 1];
        for (int w = 0; w < 3; ++w) puti(1 + w, file_dims[w]);
        puti(4, mode);
        for (int w = 0; w < 3; ++w) puti(5 + w, start_abc[axis[w] - 1]);
        for (int a = 0; a < 3; ++a) puti(8 + a, sampling[a]);
        for (int k = 0; k < 6; ++k) putf(11 + k, cell[k]);
        for (int w = 0; w < 3; ++w) puti(17 + w, axis[w]);
        puti(23, ispg);
        puti(24, nsymbt);
        for (int k = 0; k < 3; ++k) putf(50 + k, origin[k]);
        std::memcpy(&b[208], map_word.data(), 4);
        b[212] = stamp ? stamp : (big_endian ? 0x11 : 0x44);
        b[213] = b[212];
        for (int k = 0; k < nsymbt; ++k) b[1024 + k] = 0xFF;  // junk to be skipped
        int idx[3];
        for (int s = 0; s < file_dims[2]; ++s)
            for (int r = 0; r < file_dims[1]; ++r)
                for (int c = 0; c < file_dims[0]; ++c) {
                    idx[axis[0] - 1] = c;
                    idx[axis[1] - 1] = r;
                    idx[axis[2] - 1] = s;
                    const float v = value(idx[0], idx[1], idx[2]);
                    if (mode == 0) {
                        b.push_back(static_cast<unsigned char>(static_cast<std::int8_t>(v)));
                    } else if (mode == 1) {
                        const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
                        if (big_endian) {
                            b.push_back(u >> 8);
                            b.push_back(u & 0xFF);
                        } else {
                            b.push_back(u & 0xFF);
                            b.push_back(u >> 8);
                        }
                    } else {
                        std::uint32_t u;
                        std::memcpy(&u, &v, 4);
                        for (int k = 0; k < 4; ++k)
                            b.push_back(
                                static_cast<unsigned char>(u >> (8 * (big_endian ? 3 - k : k))));
                    }
                }
        return b;
    }
    void Write(const std::string& path) const { WriteBytes(path, Bytes()); }
};

}  // namespace eld::testing
