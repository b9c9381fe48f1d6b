// Opening any map the programs take, with an optional structure model: the
// viewer's own formats (.mt1, .fou, .grd) through their readers, and maps of
// other programs (CCP4/MRC, Gaussian cube) through the conversion of eldmap
// convert, in memory: the scene gets exactly what convert would write.
#pragma once

#include <string>
#include <vector>

#include "mapdata/atoms.h"
#include "mapdata/convert_map.h"
#include "mapdata/peak_search.h"
#include "mapdata/scene_state.h"

namespace eld {

enum class MapFamily { Unknown, Own, Ccp4, Cube };

// Own: the viewer's rule, the last three characters "mt1"/"MT1", "fou"/"FOU",
// "grd"/"GRD". Ccp4: .ccp4, .map, .mrc; Cube: .cube, .cub; both in any case,
// and gzipped (.gz).
MapFamily MapFamilyOf(const std::string& path);

// A CCP4/MRC or cube map by its name; throws EldError for any other name.
ForeignMap ReadForeignMap(const std::string& path);

// What a crystallographer checks first and the scene does not hold.
struct MapDetails {
    std::string Format;  // "mt1", "fou", "grd", "ccp4", "cube"
    bool HasCell = false;
    double Cell[6] = {0, 0, 0, 0, 0, 0};  // the map's crystal cell, else the model's
    std::string SpaceGroup;               // the map's, else the model's; "" unknown
    std::vector<SymmetryOp> Symmetry;     // its operations (identity excluded)
    bool HasStats = false;
    double Mean = 0, Rms = 0;  // over the grid points the map stores
};

// Throws EldError naming `source` and the atom when its element is not one of
// the atom types of atompar2.txt (the viewer could not show it).
void CheckElementsKnown(const std::vector<ForeignAtom>& atoms,
                        const std::vector<AtomTypeRow>& table, const std::string& source);

// Reads the map (and the model, when model_path is not empty) into s, like
// ReadMapFile: a failure leaves s as it was. Maps of other programs are
// converted with `o`; the model's atoms replace the map's (a model of a map in
// the viewer's own format is placed by its fractional coordinates). Sets
// AtomLabels. s.DataFolder must be set (atompar2.txt). Warnings (a model cell
// that differs from the map's) go to `warnings`. MapFileName is not touched.
MapDetails OpenAnyMap(SceneState& s, const std::string& map_path, const std::string& model_path,
                      const ConvertOptions& o, std::vector<std::string>* warnings);

}  // namespace eld
