// eldmap info: what the viewer reads from a map, as text or JSON.
#include <cstdio>
#include <string>

#include "mapdata/atoms.h"
#include "mapdata/data_files.h"
#include "mapdata/read_map.h"
#include "eldmap/commands.h"

namespace eld::eldmap {
namespace {

const char kHelp[] =
    "usage: eldmap info MAP [--json]\n"
    "\n"
    "Reads MAP (.mt1, .fou or .grd) as the viewer does, finds the bonds with the\n"
    "atompar2.txt beside the program, and prints the format, the grid point counts,\n"
    "origin and step, the density range, the cell matrix and shift, the eight cell\n"
    "corners, the atoms (name, scene position, type number) and the bonds (atoms\n"
    "counted from 1).\n"
    "\n"
    "  --json   one JSON object with the keys format, grid_points, origin, step,\n"
    "           density_min, density_max, cell_matrix, cell_shift, cell_corners,\n"
    "           atoms ([{name, position, type}]) and bonds ([[i, j]])\n";

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

void PrintJson(const SceneState& s, const std::string& format) {
    const MapGridRecord& g = s.map.MapGrid;
    std::printf("{\n  \"format\": \"%s\",\n", format.c_str());
    std::printf("  \"grid_points\": [%d, %d, %d],\n", g.N(1), g.N(2), g.N(3));
    std::printf("  \"origin\": [%s],\n",
                Triple(g.GridOrigin[0], g.GridOrigin[1], g.GridOrigin[2], ", ").c_str());
    std::printf("  \"step\": [%s],\n",
                Triple(g.GridStep[0], g.GridStep[1], g.GridStep[2], ", ").c_str());
    std::printf("  \"density_min\": %s,\n  \"density_max\": %s,\n", F(g.DensityMin).c_str(),
                F(g.DensityMax).c_str());
    std::printf("  \"cell_matrix\": [");
    for (int r = 0; r < 3; ++r)
        std::printf(
            "%s[%s]", r ? ", " : "",
            Triple(s.map.CellMatrix[r][0], s.map.CellMatrix[r][1], s.map.CellMatrix[r][2], ", ").c_str());
    std::printf("],\n  \"cell_shift\": [%s],\n",
                Triple(s.map.CellShift[0], s.map.CellShift[1], s.map.CellShift[2], ", ").c_str());
    std::printf("  \"cell_corners\": [");
    for (int c = 0; c < 8; ++c)
        std::printf(
            "%s[%s]", c ? ", " : "",
            Triple(s.map.CellCorners[c].x, s.map.CellCorners[c].y, s.map.CellCorners[c].z, ", ").c_str());
    std::printf("],\n  \"atoms\": [");
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const auto& a = s.map.AtomData[n];
        std::printf("%s\n    {\"name\": %s, \"position\": [%s], \"type\": %d}", n ? "," : "",
                    JsonString(s.map.AtomNames[n]).c_str(), Triple(a[0], a[1], a[2], ", ").c_str(),
                    static_cast<int>(a[12]));
    }
    std::printf("%s],\n  \"bonds\": [", s.map.AtomCount ? "\n  " : "");
    for (int b = 0; b < s.map.BondCount; ++b)
        std::printf("%s[%d, %d]", b ? ", " : "", s.map.BondList[b].a + 1, s.map.BondList[b].b + 1);
    std::printf("]\n}\n");
}

void PrintText(const SceneState& s, const std::string& path, const std::string& format) {
    const MapGridRecord& g = s.map.MapGrid;
    std::printf("file         %s\n", path.c_str());
    std::printf("format       %s\n", format.c_str());
    std::printf("grid points  %d x %d x %d\n", g.N(1), g.N(2), g.N(3));
    std::printf("origin       %s\n",
                Triple(g.GridOrigin[0], g.GridOrigin[1], g.GridOrigin[2], " ").c_str());
    std::printf("step         %s\n",
                Triple(g.GridStep[0], g.GridStep[1], g.GridStep[2], " ").c_str());
    std::printf("density      %s to %s\n", F(g.DensityMin).c_str(), F(g.DensityMax).c_str());
    std::printf("cell matrix\n");
    for (int r = 0; r < 3; ++r)
        std::printf(
            "  %s\n",
            Triple(s.map.CellMatrix[r][0], s.map.CellMatrix[r][1], s.map.CellMatrix[r][2], " ").c_str());
    std::printf("cell shift   %s\n",
                Triple(s.map.CellShift[0], s.map.CellShift[1], s.map.CellShift[2], " ").c_str());
    std::printf("cell corners\n");
    for (int c = 0; c < 8; ++c)
        std::printf(
            "  %d  %s\n", c + 1,
            Triple(s.map.CellCorners[c].x, s.map.CellCorners[c].y, s.map.CellCorners[c].z, " ").c_str());
    std::printf("atoms        %d\n", s.map.AtomCount);
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const auto& a = s.map.AtomData[n];
        std::printf("  %d  %s  %s  type %d\n", n + 1, JsonString(s.map.AtomNames[n]).c_str(),
                    Triple(a[0], a[1], a[2], " ").c_str(), static_cast<int>(a[12]));
    }
    std::printf("bonds        %d\n", s.map.BondCount);
    for (int b = 0; b < s.map.BondCount; ++b)
        std::printf("  %d  %d\n", s.map.BondList[b].a + 1, s.map.BondList[b].b + 1);
}

}  // namespace

int Info(int argc, char** argv) {
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
    const std::string format = MapFormatName(path);
    if (format.empty())
        return Error(path + ": not a map name (.mt1, .fou or .grd, all lower or all upper case)");

    SceneState s;
    s.program.DataFolder = FindDataFolder();
    ReadMapFile(s, path);
    FindBonds(s);
    if (json)
        PrintJson(s, format);
    else
        PrintText(s, path, format);
    return 0;
}

}  // namespace eld::eldmap
