// The control panel's arithmetic, apart from its widgets (no toolkit here), so
// that the clamps, the slider mapping and the text reading can be tested alone.
//
// Sliders run from 0 to 32767 and map linearly onto [DensityMin, DensityMax].
// A map whose DensityMax equals DensityMin has an empty range: every slider
// then sits at 0 and every slider position gives DensityMin (no division by 0).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "mapdata/scene_state.h"

namespace eld {

inline constexpr int kSliderMin = 0;
inline constexpr int kSliderMax = 32767;

// Slider position of a limit: (limit - DensityMin) * 32767 / range, rounded to
// the nearest integer and kept within 0..32767.
int SliderPositionFromLimit(const MapGridRecord& g, float limit);
// Limit of a slider position: position / 32767 * range + DensityMin, as float.
float LimitFromSliderPosition(const MapGridRecord& g, int position);

// Values above DensityMax become DensityMax; then anything not >= DensityMin
// (including NaN) becomes DensityMin.
float ClampToDensityRange(const MapGridRecord& g, float value);

// Each limit converted to float, clamped and stored into LayerLimit(1..3).
void ApplyLimits(SceneState& s, double l1, double l2, double l3);

// The leading decimal number of a text box ("." separator, optional sign and
// exponent, leading blanks skipped); a text without a leading number gives 0.
double LeadingNumber(const std::string& text);

// A limit box's text: a level in σ ("3s", "3σ", "-1.5 sigma") means
// DensityMean + N * DensityRms of the map; anything else is LeadingNumber.
double LimitFromText(const MapGridRecord& g, const std::string& text);
// The limit in σ of the map, e.g. "2.4 σ"; empty when the map's rms is 0.
std::string SigmaText(const MapGridRecord& g, double limit);

// Z layer typed into the box: rounded to the nearest integer, at most Nz
// (the number of grid points along axis 3), then at least 1.
std::int16_t ContourLayerFromText(const std::string& text, int nz);
// Map radius typed into its box: the leading number, 0 (the whole map) when
// it is not above 0.
float MapRadiusFromText(const std::string& text);
// The "-" and "+" buttons: one step down (at least 1) or up (at most Nz).
std::int16_t ContourLayerStep(int layer, int delta, int nz);

// Reads the three limit boxes and the Z layer box the way Apply does: limits
// through ApplyLimits, the Z layer into ContourLayer.
void ReadPanelControls(SceneState& s, const std::array<std::string, 3>& limit_texts,
                       const std::string& z_text);

// A toggle sets a switch to false when it is exactly true, else to true.
Switch ToggleSwitch(Switch value);

// Text of a float that reads back as the same 32-bit value (shortest form).
std::string FloatText(float v);
// "<1," Nz ">", the valid Z range shown beside the Z layer box.
std::string ZRangeText(int nz);
// Nz of the map: GridPoints field 3, rounded.
int GridPointsZ(const MapGridRecord& g);

}  // namespace eld
