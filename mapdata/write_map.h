// Writers of the viewer's own map formats: .mt1 (binary), .fou and .grd (text),
// laid out exactly as ReadMapMt1, ReadMapFou and ReadMapGrd read them. Files are
// written through a temporary file in the same folder and renamed when complete.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "mapdata/scene_state.h"

namespace eld {

// A map in the scene frame, ready to be written.
struct MapForWriting {
    std::string Title = "eldview map";
    Matrix3 CellMatrix{};  // scene = CellMatrix * (fractional - CellShift)
    float CellShift[3] = {0, 0, 0};
    float CellParameters[6] = {1, 1, 1, 90, 90, 90};
    int N[3] = {0, 0, 0};
    float GridOrigin[3] = {0, 0, 0};  // scene position of grid point (1,1,1)
    float GridStep[3] = {0, 0, 0};
    std::vector<float> Values;           // N1*N2*N3, index (i1-1) + N1*((i2-1) + N2*(i3-1))
    std::vector<std::string> AtomNames;  // 4 characters each
    std::vector<std::array<float, 3>> AtomFractional;  // placed by CellMatrix, CellShift
    // The model's own atom names ("C14"), beside AtomNames; empty or one per
    // atom. Not written: the formats hold only the 4-character names.
    std::vector<std::string> AtomLabels;

    float& at(int i1, int i2, int i3) {  // counted from 1
        return Values[static_cast<std::size_t>(i1 - 1) +
                      static_cast<std::size_t>(N[0]) * (static_cast<std::size_t>(i2 - 1) +
                                                        static_cast<std::size_t>(N[1]) * (i3 - 1))];
    }
    float at(int i1, int i2, int i3) const {
        return const_cast<MapForWriting*>(this)->at(i1, i2, i3);
    }
};

// Throws EldError (Recoverable) naming the file when a value lies outside
// ±10000 (the readers refuse such maps), when a count is out of range, or when
// the file cannot be written.
void WriteMapMt1(const MapForWriting& map, const std::string& path);
void WriteMapFou(const MapForWriting& map, const std::string& path);
// The .grd format has an identity cell matrix, a grid from 0 and keeps only the
// first letter of each atom name: atoms are written at CellMatrix * fractional
// (Cartesian) and the box centre is chosen so that the map lands where the other
// formats put it, relative to its atoms.
// Names that lose letters are listed in `warnings`.
void WriteMapGrd(const MapForWriting& map, const std::string& path,
                 std::vector<std::string>* warnings);

// The bytes of a .mt1 file (the viewer reads a converted map from them).
std::string EncodeMapMt1(const MapForWriting& map, const std::string& name);

// The bytes of the file, by the last three characters of the name
// ("mt1"/"MT1", "fou"/"FOU", "grd"/"GRD"; anything else throws), after the
// checks of the writers above. Nothing is written.
std::string EncodeMap(const MapForWriting& map, const std::string& path,
                      std::vector<std::string>* warnings);

// EncodeMap, then the bytes are read back with the viewer's reader for the
// format (a map it would refuse is not written: the error names the file and
// the reader's reason), then written.
void WriteMapFile(const MapForWriting& map, const std::string& path,
                  std::vector<std::string>* warnings);

// Checks the readers' value range; throws naming the file and the extreme value.
void CheckMapValues(const MapForWriting& map, const std::string& path);

}  // namespace eld
