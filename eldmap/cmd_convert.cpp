// eldmap convert: CCP4/MRC and Gaussian cube maps into the viewer's formats.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mapdata/atoms.h"
#include "mapdata/convert_map.h"
#include "mapdata/data_files.h"
#include "mapdata/open_map.h"
#include "mapdata/read_model.h"
#include "mapdata/write_map.h"
#include "eldmap/commands.h"

namespace eld::eldmap {
namespace {

const char kHelp[] =
    "usage: eldmap convert IN OUT [--model MODEL] [--step S] [--box cell|atoms[:MARGIN]]\n"
    "                             [--scale F] [--cap MAX] [--centre]\n"
    "\n"
    "Reads a CCP4/MRC map (.ccp4, .map, .mrc, also .gz) or a Gaussian cube file\n"
    "(.cube, .cub) and writes it as .mt1, .fou or .grd (by OUT's extension). A map\n"
    "of part of the cell is filled to the whole cell with its space group.\n"
    "\n"
    "  --model MODEL       atoms of a structure model: PDB (.pdb, .ent), mmCIF or\n"
    "                      small-molecule CIF (.cif, .mmcif), also .gz, instead of\n"
    "                      the cube file's own atoms\n"
    "  --step S            resample onto an axis-aligned grid with step S Angstrom\n"
    "  --box cell          the box around the map's cell (the default without atoms)\n"
    "  --box atoms[:M]     the box around the atoms plus M Angstrom (default 3; the\n"
    "                      default box of a crystal map with atoms)\n"
    "  --scale F           multiply every density value by F (the viewer reads\n"
    "                      values between -10000 and 10000)\n"
    "  --cap MAX           cut values above MAX (after --scale) to MAX, so that\n"
    "                      the default layers of an all-electron density show\n"
    "                      more than the atom cores\n"
    "  --centre            put the grid's centre at the scene origin, where the\n"
    "                      viewer looks first (fractional coordinates are kept)\n"
    "\n"
    "A map without a crystal cell (a cube file, or part of a cell with no symmetry\n"
    "to fill it) keeps its own box; a box outside it is refused.\n"
    "Grids whose axes run along x, y and z are copied point for point; other grids\n"
    "(non-orthogonal cells) are resampled trilinearly. The cell matrix becomes the\n"
    "map's CellMatrix, so peaks picked on the result are in fractional coordinates.\n";

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool ParseNumber(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && !*end && std::isfinite(out);
}

}  // namespace

int Convert(int argc, char** argv) {
    std::vector<std::string> positional;
    std::string model_path;
    ConvertOptions options;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--model") {
            const char* v = value();
            if (!v) return Error("convert: --model needs a file name");
            model_path = v;
        } else if (arg == "--step") {
            const char* v = value();
            if (!v || !ParseNumber(v, options.Step) || options.Step <= 0)
                return Error("convert: --step needs a positive number of Angstrom");
        } else if (arg == "--scale") {
            const char* v = value();
            if (!v || !ParseNumber(v, options.Scale) || options.Scale == 0)
                return Error("convert: --scale needs a non-zero number");
        } else if (arg == "--cap") {
            const char* v = value();
            if (!v || !ParseNumber(v, options.Cap) || options.Cap <= 0)
                return Error("convert: --cap needs a positive number");
        } else if (arg == "--centre" || arg == "--center") {
            options.Centre = true;
        } else if (arg == "--box") {
            const char* v = value();
            const std::string box = v ? v : "";
            if (box == "cell") {
                options.Box = BoxChoice::Cell;
            } else if (box == "atoms") {
                options.Box = BoxChoice::Atoms;
            } else if (box.rfind("atoms:", 0) == 0 &&
                       ParseNumber(box.c_str() + 6, options.Margin) && options.Margin >= 0) {
                options.Box = BoxChoice::Atoms;
            } else {
                return Error("convert: --box takes 'cell', 'atoms' or 'atoms:MARGIN' (Angstrom)");
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Error("convert: unknown option '" + arg + "' (see eldmap convert --help)");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return Error("convert: give an input map and an output file (see eldmap convert --help)");
    const std::string& in = positional[0];
    const std::string& out = positional[1];

    const MapFamily family = MapFamilyOf(in);
    if (family != MapFamily::Ccp4 && family != MapFamily::Cube)
        return Error(in +
                     ": unknown input format; expected .ccp4, .map, .mrc (also .gz), "
                     ".cube or .cub");
    const std::vector<AtomTypeRow> table =
        ReadAtomParameters(DataFilePath(FindDataFolder(), "atompar2.txt"));
    ForeignMap map = ReadForeignMap(in);

    std::vector<std::string> warnings;
    if (!model_path.empty()) {
        const StructureModel model = ReadModelFile(model_path);
        CheckElementsKnown(model.Atoms, table, model_path);
        UseModelAtoms(map, model, model_path, &warnings);
    } else {
        CheckElementsKnown(map.Atoms, table, in);
    }

    const MapForWriting placed = PlaceInScene(map, options);
    WriteMapFile(placed, out, &warnings);
    if (EndsWith(Lower(out), ".grd"))
        warnings.push_back(out +
                           ": the viewer takes DensityMin + DensityMax/500 as the high value of a "
                           ".grd map's default layer limits; set the limits in the control panel");
    for (const std::string& w : warnings) std::fprintf(stderr, "eldmap: warning: %s\n", w.c_str());

    float lo = placed.Values.empty() ? 0 : placed.Values[0], hi = lo;
    for (float v : placed.Values) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    std::printf(
        "%s: %s grid %d x %d x %d, step %g %g %g, origin %g %g %g, density %g to %g, "
        "%zu atoms\n",
        out.c_str(), CopiesPointForPoint(map, options) ? "copied" : "resampled", placed.N[0],
        placed.N[1], placed.N[2], placed.GridStep[0], placed.GridStep[1], placed.GridStep[2],
        placed.GridOrigin[0], placed.GridOrigin[1], placed.GridOrigin[2], lo, hi,
        placed.AtomNames.size());
    return 0;
}

}  // namespace eld::eldmap
