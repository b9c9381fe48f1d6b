// The three map readers and the placement of fractional coordinates.
// Each reader replaces the map part of the scene state (MapGrid, DensityGrid,
// CellMatrix, CellShift, CellParameters, CellCorners, atoms) from one file.
// Failures throw EldError: Recoverable for files that cannot be used (missing,
// truncated, not numbers, impossible sizes), Fatal for the program's own data
// messages ("Your input data looks strange, ELD > 10000", ...), FatalSilent for
// a .mt1 WordsPerAtom other than 14.
#pragma once

#include <string>

#include "mapdata/scene_state.h"

namespace eld {

void ReadMapMt1(SceneState& s, const std::string& path);
void ReadMapFou(SceneState& s, const std::string& path);
void ReadMapGrd(SceneState& s, const std::string& path);

// The reader for a name by its last three characters, compared exactly:
// "mt1"/"MT1", "fou"/"FOU", "grd"/"GRD". Returns nullptr for anything else.
using MapReader = void (*)(SceneState&, const std::string&);
MapReader ReaderForExtension(const std::string& path);

// Reads into a scratch state and moves the map part into s only when the whole
// file was read, so a failed read leaves s as it was.
void ReadMapFile(SceneState& s, const std::string& path);

// q(i) = sum_j M(i,j) * v(j).
void MatrixTimesVector(const Matrix3& m, const float v[3], float out[3]);
// q = CellMatrix * (p - CellShift).
XYZ FractionalToScene(const SceneState& s, const float p[3]);
// Atom positions fractional -> scene, then the eight CellCorners.
void PlaceAtomsAndCell(SceneState& s);

}  // namespace eld
