// eldmap convert: CCP4/MRC and Gaussian cube maps into the viewer's formats.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "eldmap/cli.h"
#include "eldmap/text.h"
#include "mapdata/atoms.h"
#include "mapdata/command_line.h"
#include "mapdata/convert_map.h"
#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "mapdata/open_map.h"
#include "mapdata/read_model.h"
#include "mapdata/write_map.h"

namespace eld::eldmap {
namespace {

const char kDetails[] =
    "Reads a CCP4/MRC map (.ccp4, .map, .mrc, also .gz) or a Gaussian cube file\n"
    "(.cube, .cub) and writes it as .mt1, .fou or .grd (by OUT's extension). A map\n"
    "of part of the cell is filled to the whole cell with its space group.\n"
    "\n"
    "--model takes the atoms of a structure model: PDB (.pdb, .ent), mmCIF or\n"
    "small-molecule CIF (.cif, .mmcif), also .gz, instead of the cube file's own.\n"
    "--box cell takes the box around the map's cell, --box atoms[:M] the box\n"
    "around the atoms plus M Angstrom (default 3). Without --box: the atoms plus\n"
    "3 Angstrom when the map covers its whole crystal cell (by itself or through\n"
    "its space group) and has atoms (its own or --model's); otherwise the cell.\n"
    "A map without a crystal cell to repeat (a cube file, or part of a cell with\n"
    "no symmetry to fill it) keeps its own box: its cell is its stored points,\n"
    "and a box around the atoms that reaches outside them is refused.\n"
    "--scale multiplies every value (the viewer reads values between -10000 and\n"
    "10000); --cap then cuts values above MAX, so that the default layers of an\n"
    "all-electron density show more than the atom cores.\n"
    "\n"
    "A grid whose axes run along x, y and z is copied point for point when the box\n"
    "is the cell and no --step is given; otherwise (always for a non-orthogonal\n"
    "cell) the map is resampled trilinearly. The cell matrix becomes the map's\n"
    "CellMatrix, so peaks picked on the result are in fractional coordinates.\n";

const std::vector<std::string> kOutputs = {".mt1", ".fou", ".grd"};

struct Options {
    std::vector<std::string> files;  // IN OUT
    std::string model, box;          // box "": the converter's default
    ConvertOptions convert;
};

// Settles --box and the values the parser cannot judge alone; usage errors.
void Check(Options& o, const CLI::App& cmd) {
    auto given = [&](const char* name) { return cmd.get_option(name)->count() > 0; };
    const ConvertOptions& c = o.convert;
    auto usage = [](const std::string& m) { throw CLI::ValidationError("convert: " + m); };
    if (o.files.size() != 2) usage("give an input map and an output file");
    if (std::string bad = CheckExtension(o.files[1], kOutputs); !bad.empty()) usage(bad);
    RefuseOutputIsInput(o.files[1], MapInput{o.files[0], o.model});
    if (given("--step") && !(c.Step > 0 && std::isfinite(c.Step)))
        usage("--step needs a positive number of Angstrom");
    if (c.Scale == 0 || !std::isfinite(c.Scale)) usage("--scale needs a non-zero number");
    if (given("--cap") && !(c.Cap > 0 && std::isfinite(c.Cap)))
        usage("--cap needs a positive number");
    const std::string& b = o.box;
    double margin = 0;
    const char* end = b.c_str() + b.size();
    if (b.empty()) {
        o.convert.Box = BoxChoice::Default;
    } else if (b == "cell") {
        o.convert.Box = BoxChoice::Cell;
    } else if (b == "atoms") {
        o.convert.Box = BoxChoice::Atoms;
    } else if (b.rfind("atoms:", 0) == 0 &&
               std::from_chars(b.c_str() + 6, end, margin).ptr == end && b.size() > 6 &&
               std::isfinite(margin) && margin >= 0) {
        o.convert.Box = BoxChoice::Atoms;
        o.convert.Margin = margin;
    } else {
        usage("--box takes 'cell', 'atoms' or 'atoms:MARGIN' (Angstrom)");
    }
}

int Run(const Options& o) {
    const std::string& in = o.files[0];
    const std::string& out = o.files[1];
    const MapFamily family = MapFamilyOf(in);
    if (family != MapFamily::Ccp4 && family != MapFamily::Cube)
        fail(in + ": unknown input format; expected .ccp4, .map, .mrc (also .gz), .cube or .cub");
    const std::vector<AtomTypeRow> table =
        ReadAtomParameters(DataFilePath(FindDataFolder(), "atompar2.txt"));
    ForeignMap map = ReadForeignMap(in);

    std::vector<std::string> warnings;
    if (!o.model.empty()) {
        const StructureModel model = ReadModelFile(o.model);
        CheckElementsKnown(model.Atoms, table, o.model);
        UseModelAtoms(map, model, o.model, &warnings);
    } else {
        CheckElementsKnown(map.Atoms, table, in);
    }

    const MapForWriting placed = PlaceInScene(map, o.convert);
    WriteMapFile(placed, out, &warnings);
    if (EndsWithNoCase(out, ".grd"))
        warnings.push_back(out +
                           ": the viewer takes DensityMin + DensityMax/500 as the high value of a "
                           ".grd map's default layer limits; set the limits in the control panel");
    for (const std::string& w : warnings)
        std::fprintf(stderr, "eldmap: warning: %s\n", Printable(w).c_str());

    float lo = placed.Values.empty() ? 0 : placed.Values[0], hi = lo;
    for (float v : placed.Values) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    auto g = [](double v) { return Num(v, 6); };
    auto three = [&](const float* v) { return g(v[0]) + " " + g(v[1]) + " " + g(v[2]); };
    const bool copied = CopiesPointForPoint(map, o.convert);
    std::printf("%s: %s grid %d x %d x %d, step %s, origin %s, density %s to %s, %zu atoms\n",
                Printable(out).c_str(), copied ? "copied" : "resampled", placed.N[0], placed.N[1],
                placed.N[2], three(placed.GridStep).c_str(), three(placed.GridOrigin).c_str(),
                g(lo).c_str(), g(hi).c_str(), placed.AtomNames.size());
    return 0;
}

}  // namespace

Command AddConvert(CLI::App& parent) {
    auto o = std::make_shared<Options>();
    CLI::App* cmd = NewCommand(parent, "convert",
                               "IN OUT [--model MODEL] [--step S] [--box cell|atoms[:MARGIN]]\n"
                               "                      [--scale F] [--cap MAX] [--centre]",
                               "turn CCP4/MRC and cube maps into .mt1/.fou/.grd", kDetails);
    cmd->add_option("IN OUT", o->files, "the map to read and the file to write");
    cmd->add_option("--model", o->model,
                    "the atoms of a structure model (.pdb, .ent, .cif, .mmcif, also .gz)")
        ->type_name("MODEL");
    cmd->add_option("--step", o->convert.Step,
                    "resample onto an axis-aligned grid with step S Angstrom")
        ->type_name("S");
    cmd->add_option("--box", o->box,
                    "the box to resample over: cell, atoms or atoms:MARGIN (default: see below)")
        ->type_name("BOX");
    cmd->add_option("--scale", o->convert.Scale, "multiply every density value by F")
        ->type_name("F");
    cmd->add_option("--cap", o->convert.Cap, "cut values above MAX (after --scale) to MAX")
        ->type_name("MAX");
    cmd->add_flag("--centre,--center", o->convert.Centre,
                  "put the grid's centre at the scene origin, where the viewer looks first");
    cmd->callback([o, cmd] { Check(*o, *cmd); });
    return {cmd, [o] { return Run(*o); }};
}

}  // namespace eld::eldmap
