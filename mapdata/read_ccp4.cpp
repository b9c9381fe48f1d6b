#include "mapdata/read_ccp4.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "mapdata/eld_error.h"

namespace eld {
namespace {

constexpr std::size_t kHeaderBytes = 1024;

// The 256 header words, read in one byte order.
struct Header {
    const unsigned char* bytes = nullptr;
    bool swap = false;

    std::uint32_t Raw(int word) const {  // word counted from 1
        std::uint32_t v;
        std::memcpy(&v, bytes + 4 * (word - 1), 4);
        return swap ? __builtin_bswap32(v) : v;
    }
    std::int32_t Int(int word) const { return static_cast<std::int32_t>(Raw(word)); }
    float Float(int word) const {
        const std::uint32_t r = Raw(word);
        float f;
        std::memcpy(&f, &r, 4);
        return f;
    }
};

// A header read in the wrong byte order gives huge or negative sizes and modes.
bool Plausible(const Header& h) {
    for (int w = 1; w <= 3; ++w)
        if (h.Int(w) < 1 || h.Int(w) > 1000000) return false;
    const int mode = h.Int(4);
    return mode >= 0 && mode <= 16;
}

bool LittleEndianHost() {
    const std::uint16_t one = 1;
    unsigned char b;
    std::memcpy(&b, &one, 1);
    return b == 1;
}

std::string Quote(const unsigned char* p) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = p[i];
        if (c >= 32 && c < 127) {
            s += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return "'" + s + "'";
}

}  // namespace

ForeignMap ReadCcp4Map(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path + ": cannot open the map file");
    const std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    auto bad = [&](const std::string& what) -> void { fail(path + ": " + what); };
    if (file.size() < kHeaderBytes)
        bad("the file is " + std::to_string(file.size()) +
            " bytes, shorter than the 1024-byte CCP4/MRC header");

    // Byte order: the machine stamp (word 54) says it; a header that only makes
    // sense in the other order wins over a wrong or missing stamp.
    const bool host_little = LittleEndianHost();
    const unsigned char stamp = file[212];
    const bool stamp_big = stamp == 0x11;
    Header little{file.data(), !host_little};
    Header big{file.data(), host_little};
    const bool lp = Plausible(little), bp = Plausible(big);
    const Header h = (lp && !bp) ? little : (bp && !lp) ? big : stamp_big ? big : little;

    const unsigned char* map_word = file.data() + 208;
    const bool map_ok = !std::memcmp(map_word, "MAP ", 4) || !std::memcmp(map_word, "MAP\0", 4) ||
                        !std::memcmp(map_word, "\0\0\0\0", 4);
    if (!map_ok)
        bad("header word 53 (MAP) is " + Quote(map_word) + ", expected 'MAP ': not a CCP4/MRC map");

    static const char* const kDimName[3] = {"NC", "NR", "NS"};
    int dims[3];
    for (int w = 0; w < 3; ++w) {
        dims[w] = h.Int(1 + w);
        if (dims[w] < 1 || dims[w] > 32766)
            bad(std::string("header word ") + std::to_string(1 + w) + " (" + kDimName[w] + ") is " +
                std::to_string(dims[w]) + ", expected 1 to 32766 points");
    }
    const int mode = h.Int(4);
    if (mode != 0 && mode != 1 && mode != 2)
        bad("header word 4 (MODE) is " + std::to_string(mode) +
            ": only modes 0 (8-bit), 1 (16-bit) and 2 (32-bit float) are read");

    static const char* const kSampName[3] = {"MX", "MY", "MZ"};
    ForeignMap m;
    m.SourcePath = path;
    for (int a = 0; a < 3; ++a) {
        m.Sampling[a] = h.Int(8 + a);
        if (m.Sampling[a] < 1)
            bad("header word " + std::to_string(8 + a) + " (" + kSampName[a] + ") is " +
                std::to_string(m.Sampling[a]) + ", expected a positive number of grid intervals");
    }

    static const char* const kCellName[6] = {"cell a",     "cell b",    "cell c",
                                             "cell alpha", "cell beta", "cell gamma"};
    double cell[6];
    for (int k = 0; k < 6; ++k) {
        cell[k] = h.Float(11 + k);
        const bool ok = k < 3 ? std::isfinite(cell[k]) && cell[k] > 0
                              : std::isfinite(cell[k]) && cell[k] > 0 && cell[k] < 180;
        if (!ok) {
            std::ostringstream v;
            v << cell[k];
            bad("header word " + std::to_string(11 + k) + " (" + kCellName[k] + ") is " + v.str() +
                (k < 3 ? ", expected a positive length" : ", expected an angle between 0 and 180"));
        }
    }

    static const char* const kAxisName[3] = {"MAPC", "MAPR", "MAPS"};
    int axis[3];
    bool seen[3] = {false, false, false};
    for (int w = 0; w < 3; ++w) {
        axis[w] = h.Int(17 + w);
        if (axis[w] < 1 || axis[w] > 3 || seen[axis[w] - 1])
            bad("header words 17-19 (MAPC, MAPR, MAPS) are " + std::to_string(h.Int(17)) + " " +
                std::to_string(h.Int(18)) + " " + std::to_string(h.Int(19)) + ": " + kAxisName[w] +
                " is not part of a permutation of 1 2 3");
        seen[axis[w] - 1] = true;
    }

    const std::int32_t nsymbt = h.Int(24);
    if (nsymbt < 0)
        bad("header word 24 (NSYMBT) is " + std::to_string(nsymbt) +
            ", expected the extended header length in bytes (0 or more)");

    const std::size_t bytes_per_value = mode == 0 ? 1 : mode == 1 ? 2 : 4;
    const std::size_t count = static_cast<std::size_t>(dims[0]) * dims[1] * dims[2];
    const std::size_t data_start = kHeaderBytes + static_cast<std::size_t>(nsymbt);
    if (data_start + count * bytes_per_value > file.size())
        bad("the file is " + std::to_string(file.size()) +
            " bytes but the header (NC×NR×NS = " + std::to_string(dims[0]) + "×" +
            std::to_string(dims[1]) + "×" + std::to_string(dims[2]) + ", MODE " +
            std::to_string(mode) + ", NSYMBT " + std::to_string(nsymbt) + ") needs " +
            std::to_string(data_start + count * bytes_per_value) + ": the data are truncated");

    for (int w = 0; w < 3; ++w) {
        m.N[axis[w] - 1] = dims[w];
        m.Start[axis[w] - 1] = h.Int(5 + w);
    }
    for (int a = 0; a < 3; ++a) m.Periodic[a] = m.N[a] >= m.Sampling[a];

    m.Cell = OrthogonalisationMatrix(cell);
    if (!(m.Cell[2][2] > 1e-6 * cell[2]))
        bad("header words 14-16 (cell angles) describe a cell without volume");
    for (int k = 0; k < 3; ++k) {
        const float o = h.Float(50 + k);
        if (!std::isfinite(o))
            bad("header word " + std::to_string(50 + k) + " (origin) is not a number");
        m.PointZero[k] = o;
    }
    // MRC files place their first point by the origin words (in Ångström); CCP4
    // files leave them 0 and use the start indices. A file with both gives the
    // origin of the first stored point, so the start indices are not added twice.
    if (m.PointZero[0] != 0 || m.PointZero[1] != 0 || m.PointZero[2] != 0)
        for (int& start : m.Start) start = 0;

    // File order: column fastest, then row, then section; stored: a fastest.
    m.Values.resize(count);
    const unsigned char* p = file.data() + data_start;
    const bool swap = h.swap;
    int idx[3];
    std::size_t n = 0;
    for (int s = 0; s < dims[2]; ++s) {
        idx[axis[2] - 1] = s;
        for (int r = 0; r < dims[1]; ++r) {
            idx[axis[1] - 1] = r;
            for (int c = 0; c < dims[0]; ++c, ++n) {
                idx[axis[0] - 1] = c;
                float v;
                if (mode == 0) {
                    v = static_cast<float>(static_cast<std::int8_t>(p[n]));
                } else if (mode == 1) {
                    std::uint16_t u;
                    std::memcpy(&u, p + 2 * n, 2);
                    if (swap) u = __builtin_bswap16(u);
                    v = static_cast<float>(static_cast<std::int16_t>(u));
                } else {
                    std::uint32_t u;
                    std::memcpy(&u, p + 4 * n, 4);
                    if (swap) u = __builtin_bswap32(u);
                    std::memcpy(&v, &u, 4);
                    if (!std::isfinite(v))
                        bad("data value " + std::to_string(n + 1) + " (column " +
                            std::to_string(c + 1) + ", row " + std::to_string(r + 1) +
                            ", section " + std::to_string(s + 1) + ") is not a finite number");
                }
                m.Values[m.Index(idx[0], idx[1], idx[2])] = v;
            }
        }
    }
    return m;
}

}  // namespace eld
