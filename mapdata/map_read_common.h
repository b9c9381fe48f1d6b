// Pieces shared by the three map readers (not part of the public interface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "mapdata/input_file.h"
#include "mapdata/scene_state.h"

namespace eld::mapread {

// Running DensityMin/DensityMax with the +-10000 limits of the map formats.
struct DensityRange {
    float min = 1e30f;
    float max = -1e30f;
};

// Reports a value outside [-10000, 10000] or NaN: the two range messages are
// the program's own (Fatal); NaN is an unusable file (Recoverable).
[[noreturn]] void BadDensityValue(float v, const std::string& name, int i1, int i2, int i3);

// Tests, records and stores one density value.
inline void TakeValue(float v, DensityRange& r, float& dst, const std::string& name, int i1, int i2,
                      int i3) {
    if (!(v >= -10000.0f && v <= 10000.0f)) BadDensityValue(v, name, i1, i2, i3);
    if (v > r.max) r.max = v;
    if (v < r.min) r.min = v;
    dst = v;
}

// Grid point count along axis (1..3): 1..kMaxGridPoints, else a Recoverable
// error naming the file.
void CheckGridPoints(long long n, int axis, const std::string& name);
// Atom count at most kMaxAtoms.
void CheckAtomCount(long long n, const std::string& name);
// A value that must be finite (header fields, atom coordinates).
void CheckFinite(float v, const char* what, const std::string& name);

// Grid origin + step * N must stay a finite float along every axis, else
// every position computed from the grid would overflow.
void CheckGridExtent(const MapGridRecord& g, const std::string& name);

// Running sums for DensityMean and DensityRms, in double. Sums of v - shift,
// with shift the first value, keep the one-pass variance accurate for maps far
// from zero; four lanes keep the adds independent.
struct Moments {
    double shift = 0;
    double sum[4] = {}, sq[4] = {};
    std::uint64_t count = 0;
    void Add(const float* p, std::size_t n);
    void Finish(MapGridRecord& g) const;
};

// DensityMean and DensityRms over the grid points 1..N of t.DensityGrid.
void SetMeanAndRms(SceneState& t);

// Places the atoms and the cell, then makes sure every placed position and
// corner is finite.
void PlaceAndCheck(SceneState& t, const std::string& name);

// Moves the map part of t into s and clears the bonds.
void CommitMap(SceneState& s, SceneState& t);

}  // namespace eld::mapread

namespace eld {
// The readers proper, from the file's current offset.
void ReadMapMt1From(SceneState& s, InputFile& file);
void ReadMapFouFrom(SceneState& s, InputFile& file);
void ReadMapGrdFrom(SceneState& s, InputFile& file);
}  // namespace eld
