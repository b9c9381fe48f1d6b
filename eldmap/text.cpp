#include "eldmap/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "mapdata/eld_error.h"

namespace eld::eldmap {

namespace {

template <typename T>
std::string Shortest(T v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Length of the UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
    if (n == 2 && c < 0xC2) return 0;  // overlong
    return n;
}

bool IsUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = Utf8Length(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

}  // namespace

std::string Num(float v) {
    return Shortest(v);
}
std::string Num(double v) {
    return Shortest(v);
}
Json JsonFloat(float v) {
    if (!std::isfinite(v)) return nullptr;
    const std::string t = Num(v);
    double d = 0;
    std::from_chars(t.data(), t.data() + t.size(), d);
    return d;
}

std::string Num(double v, int digits) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    return std::string(buf, r.ptr);
}

std::string FileNumbers::operator()(double v) const {
    if (!std::isfinite(v))
        fail(file + ": a number to write is " + Num(v) +
             "; the map's grid does not fit in 32-bit numbers, nothing was written");
    return Num(v);
}
std::string FileNumbers::operator()(float v) const {
    Check(v);
    return Num(v);
}
void FileNumbers::Check(float v) const {
    if (!std::isfinite(v)) (*this)(static_cast<double>(v));
}

std::string Utf8(const std::string& s) {
    if (IsUtf8(s)) return s;
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Printable(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = Utf8Length(s, i);
        // C1 controls (U+0080..U+009F) act on terminals as well.
        bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0;
        if (n == 0 || c < 0x20 || c == 0x7F || c1) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
            i += 1;
        } else {
            out.append(s, i, n);
            i += n;
        }
    }
    return out;
}

std::string Quoted(const std::string& s) {
    return Json(Utf8(s)).dump(-1, ' ', true);
}

int Error(const std::string& message) {
    std::fprintf(stderr, "eldmap: %s\n", Printable(message).c_str());
    return 1;
}

}  // namespace eld::eldmap
