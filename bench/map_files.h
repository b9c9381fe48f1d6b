// The map files the read benchmarks make: a smooth N x N x N .mt1 (identity
// cell, 10 A sides) written section by section, the value formula the text
// formats share, and scratch file names private to the process.
#pragma once

#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

namespace eld::bench {

inline float Value(int i1, int i2, int i3) {
    return 50.0f * std::sin(0.1f * i1) * std::cos(0.13f * i2) + 0.01f * float(i3);
}

inline void PutFloat(std::string& b, float v) {
    const auto u = std::bit_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) b += char((u >> (8 * k)) & 0xFF);
}
inline void PutInt(std::string& b, std::int32_t v) {
    PutFloat(b, std::bit_cast<float>(v));
}

// Hands the file to put(const std::string&) one section at a time, so a
// 512^3 map never sits in memory whole.
template <class Put>
void WriteMt1(int n, float step, Put&& put) {
    std::string b(38, '\0');
    for (float v : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) PutFloat(b, v);
    b.append(6, '\0');
    for (int k = 0; k < 6; ++k) PutFloat(b, 10.0f);
    b.append(6, '\0');
    for (int a = 0; a < 3; ++a)
        for (float v : {0.0f, step, 0.0f, 0.0f}) PutFloat(b, v);
    b.append(6, '\0');
    for (int a = 0; a < 3; ++a) PutInt(b, n);
    for (int i3 = 1; i3 <= n; ++i3) {
        b.append(i3 == 1 ? 10 : 14, '\0');
        for (int i1 = 1; i1 <= n; ++i1)
            for (int i2 = 1; i2 <= n; ++i2) PutFloat(b, Value(i1, i2, i3));
        put(b);
        b.clear();
    }
    b.append(6, '\0');
    PutInt(b, 0);
    PutInt(b, 14);
    put(b);
}

// "<temp folder>/eld_bench_<pid><suffix>".
inline std::string ScratchPath(const std::string& suffix) {
    return (std::filesystem::temp_directory_path() /
            ("eld_bench_" + std::to_string(::getpid()) + suffix))
        .string();
}

}  // namespace eld::bench
