// Density levels given as text: an absolute value in e/A^3 ("1.5", "-0.2") or
// a multiple of the map's rms deviation above its mean ("3sigma", "-3sigma",
// "3s", "3σ", "1.5 sigma").
#pragma once

#include <optional>
#include <string_view>

#include "mapdata/scene_state.h"

namespace eld {

struct LevelText {
    double Value = 0;  // e/A^3, or the multiple of the rms when InSigma
    bool InSigma = false;
};

// nullopt for text that is neither form (empty, "sigma" alone, "3x", "nan").
std::optional<LevelText> ParseLevelText(std::string_view text);

// mean + n * rms of the map as read.
inline double SigmaToLevel(const MapGridRecord& g, double n) {
    return g.DensityMean + n * g.DensityRms;
}

// The level in e/A^3 that the text stands for on map g.
inline double LevelValue(const LevelText& l, const MapGridRecord& g) {
    return l.InSigma ? SigmaToLevel(g, l.Value) : l.Value;
}

}  // namespace eld
