#include "mapdata/open_map.h"

#include <cmath>
#include <optional>

#include "mapdata/command_line.h"
#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/map_read_common.h"
#include "mapdata/read_ccp4.h"
#include "mapdata/read_cube.h"
#include "mapdata/read_map.h"
#include "mapdata/read_model.h"
#include "mapdata/write_map.h"

namespace eld {
namespace {

void Stats(const float* begin, const float* end, MapDetails& d) {
    double sum = 0, sum2 = 0;
    const double n = static_cast<double>(end - begin);
    if (n == 0) return;
    for (const float* p = begin; p != end; ++p) sum += *p;
    d.Mean = sum / n;
    for (const float* p = begin; p != end; ++p) sum2 += (*p - d.Mean) * (*p - d.Mean);
    d.Rms = std::sqrt(sum2 / n);
    d.HasStats = true;
}

void CellDiffersWarning(const double map_cell[6], const StructureModel& model,
                        const std::string& model_path, std::vector<std::string>* warnings) {
    if (!warnings) return;
    for (int k = 0; k < 6; ++k) {
        const double tol = k < 3 ? 0.005 * map_cell[k] : 0.5;
        if (std::fabs(model.Cell[k] - map_cell[k]) > tol) {
            warnings->push_back(model_path +
                                ": the model's cell differs from the map's; atoms are placed by "
                                "their fractional coordinates in the model's cell");
            return;
        }
    }
}

// A model on a map in the viewer's own format: the atoms take the places of
// their fractional coordinates (in the model's cell) in the map's scene.
void PlaceModelOnOwnMap(SceneState& s, const StructureModel& model, const std::string& model_path) {
    const Mat3d inv = Inverse3(OrthogonalisationMatrix(model.Cell), model_path);
    s.map.AtomCount = static_cast<int>(model.Atoms.size());
    s.map.AtomNames.clear();
    s.map.AtomData.assign(model.Atoms.size(), {});
    s.map.AtomLabels.clear();
    for (std::size_t n = 0; n < model.Atoms.size(); ++n) {
        const Vec3d f = MatVec(inv, model.Atoms[n].Cartesian);
        for (int k = 0; k < 3; ++k) s.map.AtomData[n][k] = static_cast<float>(f[k]);
        s.map.AtomNames.push_back(AtomNameForElement(model.Atoms[n].Element));
        s.map.AtomLabels.push_back(model.Atoms[n].Label);
    }
    PlaceAtomsAndCell(s);
    s.map.BondList.clear();
    s.map.BondCount = 0;
}

}  // namespace

MapFamily MapFamilyOf(const std::string& path) {
    if (MapKindOf(path) != MapKind::Unknown) return MapFamily::Own;
    const bool gz = EndsWithNoCase(path, ".gz");
    const std::string base = gz ? path.substr(0, path.size() - 3) : path;
    for (const char* ext : {".ccp4", ".map", ".mrc"})
        if (EndsWithNoCase(base, ext)) return MapFamily::Ccp4;
    if (!gz && (EndsWithNoCase(base, ".cube") || EndsWithNoCase(base, ".cub")))
        return MapFamily::Cube;
    return MapFamily::Unknown;
}

ForeignMap ReadForeignMap(const std::string& path) {
    switch (MapFamilyOf(path)) {
        case MapFamily::Ccp4:
            return ReadCcp4Map(path);
        case MapFamily::Cube:
            return ReadCubeMap(path);
        default:
            fail(path +
                 ": unknown map format; expected .mt1, .fou, .grd, .ccp4, .map, .mrc "
                 "(also .gz), .cube or .cub");
    }
}

void CheckElementsKnown(const std::vector<ForeignAtom>& atoms,
                        const std::vector<AtomTypeRow>& table, const std::string& source) {
    for (std::size_t n = 0; n < atoms.size(); ++n) {
        const std::string name = AtomNameForElement(atoms[n].Element);
        bool known = false;
        for (const AtomTypeRow& row : table) known = known || row.TypeName == name;
        if (!known)
            fail(source + ": atom " + std::to_string(n + 1) +
                 (atoms[n].Label.empty() ? "" : " (" + atoms[n].Label + ")") + " is the element '" +
                 atoms[n].Element + "', which atompar2.txt does not list");
    }
}

MapDetails OpenAnyMap(SceneState& s, const std::string& map_path, const std::string& model_path,
                      const ConvertOptions& o, std::vector<std::string>* warnings) {
    const std::vector<AtomTypeRow> table =
        ReadAtomParameters(DataFilePath(s.program.DataFolder, "atompar2.txt"));
    const MapFamily family = MapFamilyOf(map_path);
    if (family == MapFamily::Unknown) ReadForeignMap(map_path);  // throws the message
    std::optional<StructureModel> model;
    if (!model_path.empty()) {
        model = ReadModelFile(model_path);
        CheckElementsKnown(model->Atoms, table, model_path);
    }

    MapDetails d;
    if (family == MapFamily::Own) {
        if (model && !model->HasCell)
            fail(model_path + ": the model has no cell, so its atoms cannot be placed on " +
                 map_path + " (a map in the viewer's own format takes fractional coordinates)");
        SceneState t;
        ReadMapFile(t, map_path);
        d.Format = MapFormatName(map_path);
        d.HasCell = d.Format != "grd";  // the .grd format has no cell
        for (int k = 0; k < 6; ++k) d.Cell[k] = t.map.CellParameters[k];
        d.HasStats = true;
        d.Mean = t.map.MapGrid.DensityMean;
        d.Rms = t.map.MapGrid.DensityRms;
        if (model) {
            if (d.HasCell) CellDiffersWarning(d.Cell, *model, model_path, warnings);
            PlaceModelOnOwnMap(t, *model, model_path);
        }
        std::vector<std::string> labels = std::move(t.map.AtomLabels);
        mapread::CommitMap(s, t);
        s.map.AtomLabels = std::move(labels);
    } else {
        ForeignMap m = ReadForeignMap(map_path);
        if (model)
            UseModelAtoms(m, *model, model_path, warnings);
        else
            CheckElementsKnown(m.Atoms, table, map_path);
        d.Format = family == MapFamily::Ccp4 ? "ccp4" : "cube";
        d.HasCell = m.CrystalCell;
        if (d.HasCell) CellParametersOf(m.Cell, d.Cell);
        d.SpaceGroup = m.SpaceGroup;
        if (m.StatsKnown) {
            d.HasStats = true;
            d.Mean = m.StoredMean;
            d.Rms = m.StoredRms;
        } else {
            Stats(m.Values.data(), m.Values.data() + m.Values.size(), d);
        }
        const MapForWriting placed = PlaceInScene(m, o);
        const std::string bytes = EncodeMapMt1(placed, map_path);
        ReadMapMt1Buffer(s, bytes, map_path);
        s.map.AtomLabels = placed.AtomLabels;
    }
    if (model) {
        if (!d.HasCell && model->HasCell) {
            d.HasCell = true;
            for (int k = 0; k < 6; ++k) d.Cell[k] = model->Cell[k];
        }
        if (d.SpaceGroup.empty()) d.SpaceGroup = model->SpaceGroup;
    }
    if (!d.SpaceGroup.empty()) d.Symmetry = SpaceGroupOperations(d.SpaceGroup);
    return d;
}

}  // namespace eld
