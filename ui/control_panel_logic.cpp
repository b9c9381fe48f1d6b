#include "ui/control_panel_logic.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "mapdata/level_text.h"

namespace eld {

namespace {

// An empty (or inverted by bad data) range gives no slider mapping.
bool HasRange(const MapGridRecord& g) {
    return g.DensityMax - g.DensityMin > 0.0f;
}

}  // namespace

int SliderPositionFromLimit(const MapGridRecord& g, float limit) {
    if (!HasRange(g)) return kSliderMin;
    const float range = g.DensityMax - g.DensityMin;
    const double pos = std::nearbyint(static_cast<double>(limit - g.DensityMin) *
                                      (kSliderMax - kSliderMin) / range);
    if (!(pos >= kSliderMin)) return kSliderMin;  // also NaN
    if (pos > kSliderMax) return kSliderMax;
    return static_cast<int>(pos);
}

float LimitFromSliderPosition(const MapGridRecord& g, int position) {
    if (!HasRange(g)) return g.DensityMin;
    const double fraction = static_cast<double>(position) / (kSliderMax - kSliderMin);
    return static_cast<float>(fraction * (g.DensityMax - g.DensityMin) + g.DensityMin);
}

float ClampToDensityRange(const MapGridRecord& g, float value) {
    if (value > g.DensityMax) value = g.DensityMax;
    if (!(value >= g.DensityMin)) value = g.DensityMin;
    return value;
}

void ApplyLimits(SceneState& s, double l1, double l2, double l3) {
    const double l[3] = {l1, l2, l3};
    for (int i = 0; i < 3; ++i)
        s.layers.LayerLimit[i + 1] = ClampToDensityRange(s.map.MapGrid, static_cast<float>(l[i]));
}

double LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
    size_t end = i;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    size_t digits = 0;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
        ++end, ++digits;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end, ++digits;
    }
    if (digits == 0) return 0.0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        if (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) {
            while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
            end = e;
        }
    }
    std::string number = text.substr(i, end - i);
    if (number[0] == '+') number.erase(0, 1);
    double v = 0.0;
    // from_chars ignores the locale: "." is always the separator.
    auto r = std::from_chars(number.data(), number.data() + number.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        v = (number[0] == '-') ? -HUGE_VAL : HUGE_VAL;
    else if (r.ec != std::errc())
        v = 0.0;
    return v;
}

double LimitFromText(const MapGridRecord& g, const std::string& text) {
    const std::optional<LevelText> level = ParseLevelText(text);
    if (level && level->InSigma) return SigmaToLevel(g, level->Value);
    return LeadingNumber(text);
}

std::string SigmaText(const MapGridRecord& g, double limit) {
    if (!(g.DensityRms > 0)) return "";
    double n = (limit - g.DensityMean) / g.DensityRms;
    if (std::fabs(n) < 0.05) n = 0;  // no "-0.0"
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.1f \u03c3", n);
    return buf;
}

int GridPointsZ(const MapGridRecord& g) {
    return static_cast<int>(std::nearbyint(g.GridPoints[2]));
}

std::int16_t ContourLayerFromText(const std::string& text, int nz) {
    double v = std::nearbyint(LeadingNumber(text));
    if (v > nz) v = nz;
    if (!(v >= 1)) v = 1;
    return static_cast<std::int16_t>(v);
}

float MapRadiusFromText(const std::string& text) {
    const float r = static_cast<float>(LeadingNumber(text));
    return r > 0 && std::isfinite(r) ? r : 0.0f;
}

std::int16_t ContourLayerStep(int layer, int delta, int nz) {
    int v = layer + delta;
    if (delta < 0 && v < 1) v = 1;
    if (delta > 0 && v > nz) v = nz;
    return static_cast<std::int16_t>(v);
}

void ReadPanelControls(SceneState& s, const std::array<std::string, 3>& limit_texts,
                       const std::string& z_text) {
    const MapGridRecord& g = s.map.MapGrid;
    ApplyLimits(s, LimitFromText(g, limit_texts[0]), LimitFromText(g, limit_texts[1]),
                LimitFromText(g, limit_texts[2]));
    s.surfaces.ContourLayer = ContourLayerFromText(z_text, GridPointsZ(s.map.MapGrid));
}

Switch ToggleSwitch(Switch value) {
    return value == kTrue ? kFalse : kTrue;
}

std::string FloatText(float v) {
    char buf[32];
    // Shortest text that reads back as the same float.
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string ZRangeText(int nz) {
    return "<1," + std::to_string(nz) + ">";
}

}  // namespace eld
