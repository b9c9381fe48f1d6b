// Atom types from atompar2.txt, bonds by the distance window, atom radius and
// colour by name.
#pragma once

#include <string>
#include <vector>

#include "mapdata/scene_state.h"

namespace eld {

// One row of atompar2.txt (columns 1..7 of the type table).
struct AtomTypeRow {
    int TypeNumber = 0;
    float Value2 = 0;  // read, not used
    // Kept as read (decimal fractions in double) so that a window such as
    // 0.77 + 0.77 +- 0.2 rounds to the floats nearest 1.34 and 1.74.
    double BondRadius = 0;
    float Value4 = 0;  // read, not used
    double BondTolerance = 0;
    std::string TypeName;  // 4 characters as they stand
    float Value7 = 0;      // read, not used
};

// Rows in file order; AtomTypeTable[k-1] is row k. The first line is a header;
// the list ends at the first line whose type number (columns 1-3) is below 1,
// e.g. a blank line. Type names (columns 34-37) of short lines are padded with
// blanks to 4 characters. Throws EldError (Recoverable) naming the file when it
// is missing, has no end line, or holds more than 400 type lines.
std::vector<AtomTypeRow> ReadAtomParameters(const std::string& path);

// Sets AtomData[n][12]; throws EldError(Fatal,
// "I do not know this atom name: " + name) for an unknown name.
void AssignAtomTypes(SceneState& s, const std::vector<AtomTypeRow>& table);

// lower/upper bond length of two type numbers, used as row numbers of the table
// (a number without a row gives 0 for both values). Computed in double from the
// table values, then rounded to float; a pair bonds when lower < d < upper with
// d the float distance.
void BondWindow(const std::vector<AtomTypeRow>& table, int a, int b, float& lower, float& upper);

// Reads DataFolder/atompar2.txt, assigns types and fills BondList/BondCount with
// exactly the bonds, in exactly the order, of the all-pairs test (found with a
// cell list). Bonds beyond kMaxBonds are not kept.
void FindBonds(SceneState& s);

float AtomRadius(const std::string& name);
// Red, green, blue of an atom's sphere.
void AtomColour(const std::string& name, float rgb[3]);

}  // namespace eld
