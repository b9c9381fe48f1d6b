// The three map readers and the placement of fractional coordinates.
// Each reader replaces the map part of the scene state (MapGrid, DensityGrid,
// CellMatrix, CellShift, CellParameters, CellCorners, atoms; the bonds are
// cleared) from one file, and only when the whole file was read: a failed read
// leaves s as it was.
// Failures throw EldError: Recoverable for files that cannot be used (missing,
// truncated, not numbers, impossible sizes), Fatal for the program's own data
// messages ("Your input data looks strange, ELD > 10000", ...), FatalSilent for
// a .mt1 WordsPerAtom other than 14.
#pragma once

#include <string>
#include <string_view>

#include "mapdata/scene_state.h"

namespace eld {

void ReadMapMt1(SceneState& s, const std::string& path);
void ReadMapFou(SceneState& s, const std::string& path);
void ReadMapGrd(SceneState& s, const std::string& path);

// The same readers over the file's bytes already in memory (tests, fuzzing);
// name stands for the file in messages.
void ReadMapMt1Buffer(SceneState& s, std::string_view bytes, const std::string& name);
void ReadMapFouBuffer(SceneState& s, std::string_view bytes, const std::string& name);
void ReadMapGrdBuffer(SceneState& s, std::string_view bytes, const std::string& name);

// The reader for a name by its last three characters, compared exactly:
// "mt1"/"MT1", "fou"/"FOU", "grd"/"GRD". Returns nullptr for anything else.
using MapReader = void (*)(SceneState&, const std::string&);
MapReader ReaderForExtension(const std::string& path);

// "mt1", "fou" or "grd" for a name ReaderForExtension accepts, else "".
std::string MapFormatName(const std::string& path);

// The reader chosen by the extension; a name with any other extension throws a
// Recoverable error naming it (the viewer checks the extension itself first,
// with its own messages).
void ReadMapFile(SceneState& s, const std::string& path);
// The same over bytes in memory; the extension is taken from name.
void ReadMapFileBuffer(SceneState& s, std::string_view bytes, const std::string& name);

// q(i) = sum_j M(i,j) * v(j).
void MatrixTimesVector(const Matrix3& m, const float v[3], float out[3]);
// q = CellMatrix * (p - CellShift).
XYZ FractionalToScene(const SceneState& s, const float p[3]);
// Atom positions fractional -> scene, then the eight CellCorners in the order
// (0,0,0), (1,0,0), (1,1,0), (0,1,0), (0,0,1), (1,0,1), (1,1,1), (0,1,1).
void PlaceAtomsAndCell(SceneState& s);

}  // namespace eld
