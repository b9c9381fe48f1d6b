// The peak list file: one atom record "ATOM Q n  X=... Y=... Z=..." per
// confirmed peak, in fractional coordinates of the crystal, CRLF line ends,
// for the crystallographic package to read back.
#pragma once

#include <array>
#include <string>

#include "mapdata/scene_state.h"

namespace eld {

inline constexpr const char* kPeakListDefaultName = "newatoms.dat";
inline constexpr const char* kPeakListFilter = "Peak data file (*.dat)|*.dat|All files (*.*)|*.*";

// Fractional coordinates of peak n (0-based row of PeakList):
// inverse(CellMatrix) * p + CellShift, each cut to six decimals toward minus
// infinity (floor(f * 1e6) / 1e6 in double, stored as float).
std::array<float, 3> PeakFractional(const SceneState& s, int n);

// One line, without its line end. `number` is the 1-based peak number.
// Throws EldError (Recoverable) naming the peak when a coordinate is inf or nan
// (a cell matrix without an inverse gives them): no reader takes such a line.
std::string PeakLine(int number, const std::array<float, 3>& f);

// The whole file: PeakCount lines numbered from 1, each ending in "\r\n".
// Empty when PeakCount is 0. Throws as PeakLine.
std::string PeakListText(const SceneState& s);

// Writes `text` to `path` through a temporary file in the same folder that is
// renamed over the target, so a failed write leaves an existing file as it was.
// Throws EldError (Recoverable) naming the file when it cannot be written.
void WritePeakListFile(const std::string& path, const std::string& text);


}  // namespace eld
