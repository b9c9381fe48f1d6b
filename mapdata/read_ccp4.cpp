#include "mapdata/read_ccp4.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <utility>

#include "mapdata/eld_error.h"
#include "mapdata/gemmi_io.h"

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

std::string Text(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

Ccp4Layout CheckHeader(const unsigned char* file, std::size_t size, const std::string& path) {
    auto bad = [&](const std::string& what) -> void { fail(path + ": " + what); };
    if (size < kHeaderBytes)
        bad("the file is " + std::to_string(size) +
            " bytes, shorter than the 1024-byte CCP4/MRC header");

    // Byte order: the machine stamp (word 54) says it; a header that only makes
    // sense in the other order wins over a wrong or missing stamp.
    const bool host_little = LittleEndianHost();
    const bool stamp_big = file[212] == 0x11;
    Header little{file, !host_little};
    Header big{file, host_little};
    const bool lp = Plausible(little), bp = Plausible(big);
    const bool use_big = (lp && !bp) ? false : (bp && !lp) ? true : stamp_big;
    const Header h = use_big ? big : little;

    Ccp4Layout l;
    l.BigEndian = use_big;
    const unsigned char* map_word = file + 208;
    const bool map_ok = !std::memcmp(map_word, "MAP ", 4) || !std::memcmp(map_word, "MAP\0", 4) ||
                        !std::memcmp(map_word, "\0\0\0\0", 4);
    if (!map_ok)
        bad("header word 53 (MAP) is " + Quote(map_word) + ", expected 'MAP ': not a CCP4/MRC map");

    static const char* const kDimName[3] = {"NC", "NR", "NS"};
    for (int w = 0; w < 3; ++w) {
        l.FileDims[w] = h.Int(1 + w);
        if (l.FileDims[w] < 1 || l.FileDims[w] > 32766)
            bad(std::string("header word ") + std::to_string(1 + w) + " (" + kDimName[w] + ") is " +
                std::to_string(l.FileDims[w]) + ", expected 1 to 32766 points");
    }
    l.Mode = h.Int(4);
    if (l.Mode != 0 && l.Mode != 1 && l.Mode != 2 && l.Mode != 6)
        bad("header word 4 (MODE) is " + std::to_string(l.Mode) +
            ": only modes 0 (8-bit), 1 (16-bit), 2 (32-bit float) and 6 (unsigned 16-bit) are "
            "read");

    static const char* const kSampName[3] = {"MX", "MY", "MZ"};
    for (int a = 0; a < 3; ++a) {
        l.Sampling[a] = h.Int(8 + a);
        if (l.Sampling[a] < 1 || l.Sampling[a] > 1000000)
            bad("header word " + std::to_string(8 + a) + " (" + kSampName[a] + ") is " +
                std::to_string(l.Sampling[a]) +
                ", expected a positive number of grid intervals (at most 1000000)");
    }

    static const char* const kCellName[6] = {"cell a",     "cell b",    "cell c",
                                             "cell alpha", "cell beta", "cell gamma"};
    for (int k = 0; k < 6; ++k) {
        l.Cell[k] = h.Float(11 + k);
        const bool ok = k < 3 ? std::isfinite(l.Cell[k]) && l.Cell[k] > 0 && l.Cell[k] < 1e7
                              : std::isfinite(l.Cell[k]) && l.Cell[k] > 0 && l.Cell[k] < 180;
        if (!ok)
            bad("header word " + std::to_string(11 + k) + " (" + kCellName[k] + ") is " +
                Text(l.Cell[k]) +
                (k < 3 ? ", expected a positive length (below 1e7 Angstrom)"
                       : ", expected an angle between 0 and 180"));
    }

    static const char* const kAxisName[3] = {"MAPC", "MAPR", "MAPS"};
    bool seen[3] = {false, false, false};
    for (int w = 0; w < 3; ++w) {
        const int axis = h.Int(17 + w);
        if (axis < 1 || axis > 3 || seen[axis - 1])
            bad("header words 17-19 (MAPC, MAPR, MAPS) are " + std::to_string(h.Int(17)) + " " +
                std::to_string(h.Int(18)) + " " + std::to_string(h.Int(19)) + ": " + kAxisName[w] +
                " is not part of a permutation of 1 2 3");
        seen[axis - 1] = true;
        l.AxisOf[w] = axis - 1;
    }
    static const char* const kStartName[3] = {"NCSTART", "NRSTART", "NSSTART"};
    for (int w = 0; w < 3; ++w) {
        const int start = h.Int(5 + w);
        if (start < -10000000 || start > 10000000)
            bad("header word " + std::to_string(5 + w) + " (" + kStartName[w] + ") is " +
                std::to_string(start) + ", expected a grid index within +-10000000");
        l.N[l.AxisOf[w]] = l.FileDims[w];
        l.Start[l.AxisOf[w]] = start;
    }
    l.SpaceGroupNumber = h.Int(23);

    const std::int32_t nsymbt = h.Int(24);
    if (nsymbt < 0 || nsymbt > 4000000)
        bad("header word 24 (NSYMBT) is " + std::to_string(nsymbt) +
            ", expected the extended header length in bytes (0 to 4000000)");

    const std::size_t bytes_per_value = l.Mode == 0 ? 1 : l.Mode == 2 ? 4 : 2;
    const std::size_t count = static_cast<std::size_t>(l.FileDims[0]) * l.FileDims[1] *
                              static_cast<std::size_t>(l.FileDims[2]);
    const std::size_t data_start = kHeaderBytes + static_cast<std::size_t>(nsymbt);
    l.DataStart = data_start;
    if (data_start + count * bytes_per_value > size)
        bad("the file is " + std::to_string(size) +
            " bytes but the header (NC×NR×NS = " + std::to_string(l.FileDims[0]) + "×" +
            std::to_string(l.FileDims[1]) + "×" + std::to_string(l.FileDims[2]) + ", MODE " +
            std::to_string(l.Mode) + ", NSYMBT " + std::to_string(nsymbt) + ") needs " +
            std::to_string(data_start + count * bytes_per_value) + ": the data are truncated");

    const Mat3d cell = OrthogonalisationMatrix(l.Cell);
    if (!(cell[2][2] > 1e-6 * l.Cell[2]))
        bad("header words 14-16 (cell angles) describe a cell without volume");
    for (int k = 0; k < 3; ++k) {
        const float o = h.Float(50 + k);
        if (!std::isfinite(o) || std::fabs(o) > 1e7)
            bad("header word " + std::to_string(50 + k) + " (origin) is " + Text(o) +
                ", expected a coordinate within +-1e7 Angstrom");
        l.Origin[k] = o;
    }
    return l;
}

}  // namespace

ForeignMap ReadCcp4MapBuffer(std::string_view bytes, const std::string& name) {
    const auto* file = reinterpret_cast<const unsigned char*>(bytes.data());
    const Ccp4Layout l = CheckHeader(file, bytes.size(), name);

    // gemmi gets the file in the host's byte order (it swaps 8- and 16-bit
    // modes after widening them to float, which breaks them), with the stamp
    // of that order, the word "MAP " and no origin words (it would not expand
    // a map with them; the origin is applied here).
    std::string normal(bytes);
    const bool host_little = LittleEndianHost();
    if (l.BigEndian == host_little) {
        auto swap = [&](std::size_t at, int width) {
            for (int k = 0; k < width / 2; ++k)
                std::swap(normal[at + k], normal[at + width - 1 - k]);
        };
        for (int w = 0; w < 56; ++w) swap(4 * w, 4);  // numbers; words 57-256 are labels
        const int width = l.Mode == 0 ? 1 : l.Mode == 2 ? 4 : 2;
        const std::size_t count = static_cast<std::size_t>(l.FileDims[0]) * l.FileDims[1] *
                                  static_cast<std::size_t>(l.FileDims[2]);
        if (width > 1)
            for (std::size_t n = 0; n < count; ++n) swap(l.DataStart + n * width, width);
    }
    normal[212] = static_cast<char>(host_little ? 0x44 : 0x11);
    normal[213] = static_cast<char>(host_little ? 0x41 : 0x11);
    std::memcpy(&normal[208], "MAP ", 4);
    std::memset(&normal[4 * 49], 0, 12);

    ForeignMap m;
    m.SourcePath = name;
    m.Cell = OrthogonalisationMatrix(l.Cell);
    m.CrystalCell = true;
    for (int a = 0; a < 3; ++a) m.Sampling[a] = l.Sampling[a];
    ReadCcp4Values(normal, l, name, m);
    return m;
}

ForeignMap ReadCcp4Map(const std::string& path) {
    return ReadCcp4MapBuffer(ReadFileMaybeGzipped(path, "map file"), path);
}

}  // namespace eld
