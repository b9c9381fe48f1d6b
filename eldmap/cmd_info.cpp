// eldmap info: what the viewer reads from a map, as text or JSON.
#include <cstdio>
#include <string>

#include "eldmap/args.h"
#include "eldmap/commands.h"
#include "eldmap/load.h"
#include "mapdata/atoms.h"
#include "mapdata/open_map.h"
#include "mapdata/peak_search.h"

namespace eld::eldmap {
namespace {

const char kHelp[] =
    "usage: eldmap info MAP [--model MODEL] [--json]\n"
    "\n"
    "Reads MAP (.mt1, .fou, .grd; a CCP4/MRC map .ccp4, .map, .mrc, also .gz; a\n"
    "Gaussian cube .cube, .cub, converted as eldmap convert does) as the viewer\n"
    "does, finds the bonds with the atompar2.txt beside the program, and prints\n"
    "the format, the grid point counts, origin and step, the density range, mean\n"
    "and rms (over the points the map stores), the cell parameters and space\n"
    "group, the cell matrix and shift, the eight cell corners, the atoms (name,\n"
    "label, scene position, fractional coordinates, type number) and the bonds\n"
    "(atoms counted from 1).\n"
    "\n"
    "  --model MODEL  the atoms of a structure model (.pdb, .ent, .cif, .mmcif,\n"
    "                 also .gz) instead of the map's\n"
    "  --json         one JSON object with the keys format, grid_points, origin,\n"
    "                 step, density_min, density_max, density_mean, density_rms,\n"
    "                 cell_parameters ([a, b, c, alpha, beta, gamma] or null),\n"
    "                 space_group (or null), cell_matrix, cell_shift,\n"
    "                 cell_corners, atoms ([{name, label, position, fractional,\n"
    "                 type}]) and bonds ([[i, j]])\n";

// %.9g: enough digits for a float to read back to the same value.
std::string F(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", double(v));
    return buf;
}

std::string Triple(float a, float b, float c, const char* sep) {
    return F(a) + sep + F(b) + sep + F(c);
}

// Names are four bytes as the file holds them; bytes outside printable ASCII
// are escaped (read as Latin-1) so the output stays valid UTF-8 JSON.
std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c > 0x7E) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string D(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

// The model's own name of an atom, or its element where the map has none.
std::string Label(const SceneState& s, int n) {
    if (n < static_cast<int>(s.map.AtomLabels.size()) && !s.map.AtomLabels[n].empty())
        return s.map.AtomLabels[n];
    const std::string& name = s.map.AtomNames[n];
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

std::string Fractional(const SceneState& s, int n, const char* sep) {
    const auto& a = s.map.AtomData[n];
    const Vec3 f = SceneToFractional(s, {a[0], a[1], a[2]});
    return D(f[0]) + sep + D(f[1]) + sep + D(f[2]);
}

std::string CellText(const MapDetails& d, const char* sep) {
    std::string t;
    for (int k = 0; k < 6; ++k) t += (k ? sep : "") + D(d.Cell[k]);
    return t;
}

void PrintJson(const SceneState& s, const MapDetails& d) {
    const MapGridRecord& g = s.map.MapGrid;
    const bool has_cell = MapHasCell(s);
    std::printf("{\n  \"format\": \"%s\",\n", d.Format.c_str());
    std::printf("  \"grid_points\": [%d, %d, %d],\n", g.N(1), g.N(2), g.N(3));
    std::printf("  \"origin\": [%s],\n",
                Triple(g.GridOrigin[0], g.GridOrigin[1], g.GridOrigin[2], ", ").c_str());
    std::printf("  \"step\": [%s],\n",
                Triple(g.GridStep[0], g.GridStep[1], g.GridStep[2], ", ").c_str());
    std::printf("  \"density_min\": %s,\n  \"density_max\": %s,\n", F(g.DensityMin).c_str(),
                F(g.DensityMax).c_str());
    std::printf("  \"density_mean\": %s,\n  \"density_rms\": %s,\n", D(d.Mean).c_str(),
                D(d.Rms).c_str());
    std::printf("  \"cell_parameters\": %s,\n",
                d.HasCell ? ("[" + CellText(d, ", ") + "]").c_str() : "null");
    std::printf("  \"space_group\": %s,\n",
                d.SpaceGroup.empty() ? "null" : JsonString(d.SpaceGroup).c_str());
    std::printf("  \"cell_matrix\": [");
    for (int r = 0; r < 3; ++r)
        std::printf(
            "%s[%s]", r ? ", " : "",
            Triple(s.map.CellMatrix[r][0], s.map.CellMatrix[r][1], s.map.CellMatrix[r][2], ", ")
                .c_str());
    std::printf("],\n  \"cell_shift\": [%s],\n",
                Triple(s.map.CellShift[0], s.map.CellShift[1], s.map.CellShift[2], ", ").c_str());
    std::printf("  \"cell_corners\": [");
    for (int c = 0; c < 8; ++c)
        std::printf(
            "%s[%s]", c ? ", " : "",
            Triple(s.map.CellCorners[c].x, s.map.CellCorners[c].y, s.map.CellCorners[c].z, ", ")
                .c_str());
    std::printf("],\n  \"atoms\": [");
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const auto& a = s.map.AtomData[n];
        std::printf(
            "%s\n    {\"name\": %s, \"label\": %s, \"position\": [%s], \"fractional\": %s, "
            "\"type\": %d}",
            n ? "," : "", JsonString(s.map.AtomNames[n]).c_str(), JsonString(Label(s, n)).c_str(),
            Triple(a[0], a[1], a[2], ", ").c_str(),
            has_cell ? ("[" + Fractional(s, n, ", ") + "]").c_str() : "null",
            static_cast<int>(a[12]));
    }
    std::printf("%s],\n  \"bonds\": [", s.map.AtomCount ? "\n  " : "");
    for (int b = 0; b < s.map.BondCount; ++b)
        std::printf("%s[%d, %d]", b ? ", " : "", s.map.BondList[b].a + 1, s.map.BondList[b].b + 1);
    std::printf("]\n}\n");
}

void PrintText(const SceneState& s, const std::string& path, const MapDetails& d) {
    const MapGridRecord& g = s.map.MapGrid;
    const bool has_cell = MapHasCell(s);
    std::printf("file         %s\n", path.c_str());
    std::printf("format       %s\n", d.Format.c_str());
    std::printf("grid points  %d x %d x %d\n", g.N(1), g.N(2), g.N(3));
    std::printf("origin       %s\n",
                Triple(g.GridOrigin[0], g.GridOrigin[1], g.GridOrigin[2], " ").c_str());
    std::printf("step         %s\n",
                Triple(g.GridStep[0], g.GridStep[1], g.GridStep[2], " ").c_str());
    std::printf("density      %s to %s\n", F(g.DensityMin).c_str(), F(g.DensityMax).c_str());
    std::printf("mean, rms    %s %s\n", D(d.Mean).c_str(), D(d.Rms).c_str());
    std::printf("cell         %s\n", d.HasCell ? CellText(d, " ").c_str() : "unknown");
    std::printf("space group  %s\n", d.SpaceGroup.empty() ? "unknown" : d.SpaceGroup.c_str());
    std::printf("cell matrix\n");
    for (int r = 0; r < 3; ++r)
        std::printf("  %s\n", Triple(s.map.CellMatrix[r][0], s.map.CellMatrix[r][1],
                                     s.map.CellMatrix[r][2], " ")
                                  .c_str());
    std::printf("cell shift   %s\n",
                Triple(s.map.CellShift[0], s.map.CellShift[1], s.map.CellShift[2], " ").c_str());
    std::printf("cell corners\n");
    for (int c = 0; c < 8; ++c)
        std::printf(
            "  %d  %s\n", c + 1,
            Triple(s.map.CellCorners[c].x, s.map.CellCorners[c].y, s.map.CellCorners[c].z, " ")
                .c_str());
    std::printf("atoms        %d\n", s.map.AtomCount);
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const auto& a = s.map.AtomData[n];
        std::printf("  %d  %s  %s  %s  fractional %s  type %d\n", n + 1,
                    JsonString(s.map.AtomNames[n]).c_str(), JsonString(Label(s, n)).c_str(),
                    Triple(a[0], a[1], a[2], " ").c_str(),
                    has_cell ? Fractional(s, n, " ").c_str() : "unknown", static_cast<int>(a[12]));
    }
    std::printf("bonds        %d\n", s.map.BondCount);
    for (int b = 0; b < s.map.BondCount; ++b)
        std::printf("  %d  %d\n", s.map.BondList[b].a + 1, s.map.BondList[b].b + 1);
}

}  // namespace

int Info(int argc, char** argv) {
    const std::string model = TakeModelOption(argc, argv);
    std::string path;
    bool json = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Error("info: unknown option '" + arg + "' (see eldmap info --help)");
        } else if (path.empty()) {
            path = arg;
        } else {
            return Error("info: only one map at a time ('" + arg + "')");
        }
    }
    if (path.empty()) return Error("info: no map given (see eldmap info --help)");
    if (MapFamilyOf(path) == MapFamily::Unknown)
        return Error(path +
                     ": not a map name (.mt1, .fou or .grd, all lower or all upper case; .ccp4, "
                     ".map, .mrc, also .gz; .cube, .cub)");

    SceneState s;
    const MapDetails d = OpenMap(s, path, model);
    FindBonds(s);
    if (json)
        PrintJson(s, d);
    else
        PrintText(s, path, d);
    return 0;
}

}  // namespace eld::eldmap
