// From a map of another program to a map in the viewer's scene frame.
//
// The cell matrix (for a crystal map the orthogonalisation matrix: a along x, b
// in the xy plane) becomes CellMatrix, and atoms are stored in true fractional
// coordinates, so peaks picked on the result are saved in them too. The scene
// is the map's own Cartesian frame: for a crystal map CellShift is 0; for a
// cube file, whose "cell" is the grid's box starting at the cube's origin,
// CellShift is minus the origin's fractional coordinates. With Centre the
// scene is moved to the grid's centre instead (CellShift takes up the move). A
// grid whose axes already run along x, y and z is copied point for point; any
// other grid is resampled (trilinear) onto an axis-aligned grid of about the
// same step.
//
// The box: a map that covers its crystal cell (by itself or by the space
// group's symmetry) repeats with the cell, so every point of any box gets the
// map's value; with atoms the default box is the atoms plus Margin, so the
// density sits around the atoms that produced it, else it is the cell. A map
// without a crystal cell to repeat (a cube file, or part of a cell with no
// symmetry to fill it) keeps its own box: a box that reaches outside it is
// refused.
#pragma once

#include <string>
#include <vector>

#include "mapdata/foreign_map.h"
#include "mapdata/read_model.h"
#include "mapdata/resample.h"
#include "mapdata/write_map.h"

namespace eld {

enum class BoxChoice { Default, Cell, Atoms };

struct ConvertOptions {
    double Step = 0;  // Ångström; 0 keeps about the map's own (smallest) step
    BoxChoice Box = BoxChoice::Default;
    double Margin = 3.0;  // Ångström around the atoms
    double Scale = 1.0;   // every density value is multiplied by it
    // Values above Cap (after scaling) are cut to Cap. An all-electron density
    // peaks a hundredfold at the nuclei, and the viewer's default layers sit at
    // fractions of the range: without a cap they show only the atom cores.
    double Cap = 0;  // 0: no cap
    // Move the scene so that the grid's centre lies at the scene origin, where
    // the viewer looks when it opens a map. CellShift takes up the move, so
    // atoms and picked peaks keep their true fractional coordinates.
    bool Centre = false;
};

// Replaces the map's atoms by the model's. Model coordinates are Cartesian in
// the same frame as the map. A model cell that differs from the map's crystal
// cell is reported in `warnings`.
void UseModelAtoms(ForeignMap& m, const StructureModel& model, const std::string& model_path,
                   std::vector<std::string>* warnings);

// The box the options choose for this map: Default resolved (see above).
BoxChoice ResolvedBox(const ForeignMap& m, const ConvertOptions& o);

// True when the conversion copies the grid point for point (no resampling).
bool CopiesPointForPoint(const ForeignMap& m, const ConvertOptions& o);

// True when the grid axes run along x, y and z (positive direction).
bool GridIsAxisAligned(const ForeignMap& m);

// The axis-aligned grid a resampled map gets (scene frame = Cartesian minus
// CellOrigin). Throws when the box would be too large for the viewer, or
// reaches outside a map that does not repeat.
AxisGrid ResampleGrid(const ForeignMap& m, const ConvertOptions& o);

// Throws naming the map (or the atom) when a position lands beyond the range
// the viewer's readers take.
MapForWriting PlaceInScene(const ForeignMap& m, const ConvertOptions& o);

}  // namespace eld
