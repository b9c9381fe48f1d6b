#include "mapdata/level_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace eld {

std::optional<LevelText> ParseLevelText(std::string_view text) {
    auto trim = [](std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
        return s;
    };
    text = trim(text);
    LevelText out;
    for (std::string_view unit : {"sigma", "\u03c3", "s"}) {  // longest first
        if (text.size() > unit.size() && text.substr(text.size() - unit.size()) == unit) {
            text = trim(text.substr(0, text.size() - unit.size()));
            out.InSigma = true;
            break;
        }
    }
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        return std::nullopt;  // "inf", "nan" and a bare sign are not levels
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out.Value);
    if (ec != std::errc() || p != end || !std::isfinite(out.Value)) return std::nullopt;
    return out;
}

}  // namespace eld
