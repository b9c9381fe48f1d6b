// eldmap info: what the viewer reads from a map, as text or JSON.
#include <cstdio>
#include <memory>
#include <string>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "eldmap/text.h"
#include "mapdata/atoms.h"
#include "mapdata/eld_error.h"
#include "mapdata/open_map.h"
#include "mapdata/peak_search.h"

namespace eld::eldmap {
namespace {

const char kDetails[] =
    "Reads MAP (.mt1, .fou, .grd; a CCP4/MRC map .ccp4, .map, .mrc, also .gz; a\n"
    "Gaussian cube .cube, .cub, converted as eldmap convert does) as the viewer\n"
    "does, finds the bonds with the atompar2.txt beside the program, and prints\n"
    "the format, the grid point counts, origin and step, the density range, mean\n"
    "and rms (over the points the map stores), the cell parameters and space\n"
    "group, the cell matrix and shift, the eight cell corners, the atoms (name,\n"
    "label, scene position, fractional coordinates, type number) and the bonds\n"
    "(atoms counted from 1).\n"
    "\n"
    "--json prints one JSON object with the keys format, grid_points, origin,\n"
    "step, density_min, density_max, density_mean, density_rms, cell_parameters\n"
    "([a, b, c, alpha, beta, gamma] or null), space_group (or null), cell_matrix,\n"
    "cell_shift, cell_corners, atoms ([{name, label, position, fractional, type}])\n"
    "and bonds ([[i, j]]). Names are given as the file holds them, read as\n"
    "Latin-1 when they are not UTF-8.\n";

struct Options {
    MapInput map;
    bool json = false;
};

Json Triple(float a, float b, float c) {
    return Json::array({JsonFloat(a), JsonFloat(b), JsonFloat(c)});
}

// The model's own name of an atom, or its element where the map has none.
std::string Label(const SceneState& s, int n) {
    if (n < static_cast<int>(s.map.AtomLabels.size()) && !s.map.AtomLabels[n].empty())
        return s.map.AtomLabels[n];
    const std::string& name = s.map.AtomNames[n];
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

// One report, printed either as JSON or as text.
Json Report(const SceneState& s, const MapDetails& d) {
    const MapGridRecord& g = s.map.MapGrid;
    const bool hasCell = MapHasCell(s);
    Json j;
    j["format"] = d.Format;
    j["grid_points"] = {g.N(1), g.N(2), g.N(3)};
    j["origin"] = Triple(g.GridOrigin[0], g.GridOrigin[1], g.GridOrigin[2]);
    j["step"] = Triple(g.GridStep[0], g.GridStep[1], g.GridStep[2]);
    j["density_min"] = JsonFloat(g.DensityMin);
    j["density_max"] = JsonFloat(g.DensityMax);
    j["density_mean"] = d.Mean;
    j["density_rms"] = d.Rms;
    j["cell_parameters"] = nullptr;
    if (d.HasCell) j["cell_parameters"] = d.Cell;
    j["space_group"] = nullptr;
    if (!d.SpaceGroup.empty()) j["space_group"] = Utf8(d.SpaceGroup);
    j["cell_matrix"] = Json::array();
    for (const auto& r : s.map.CellMatrix) j["cell_matrix"].push_back(Triple(r[0], r[1], r[2]));
    j["cell_shift"] = Triple(s.map.CellShift[0], s.map.CellShift[1], s.map.CellShift[2]);
    j["cell_corners"] = Json::array();
    for (const XYZ& c : s.map.CellCorners) j["cell_corners"].push_back(Triple(c.x, c.y, c.z));
    j["atoms"] = Json::array();
    for (int n = 0; n < s.map.AtomCount; ++n) {
        const auto& a = s.map.AtomData[n];
        Json fractional = nullptr;
        if (hasCell) fractional = SceneToFractional(s, {a[0], a[1], a[2]});
        j["atoms"].push_back({{"name", Utf8(s.map.AtomNames[n])},
                              {"label", Utf8(Label(s, n))},
                              {"position", Triple(a[0], a[1], a[2])},
                              {"fractional", fractional},
                              {"type", static_cast<int>(a[12])}});
    }
    j["bonds"] = Json::array();
    for (int b = 0; b < s.map.BondCount; ++b)
        j["bonds"].push_back({s.map.BondList[b].a + 1, s.map.BondList[b].b + 1});
    return j;
}

// The numbers of a JSON array, or "unknown" for null.
std::string Row(const Json& values) {
    if (values.is_null()) return "unknown";
    std::string out;
    for (const Json& v : values) {
        const std::string t =
            v.is_number_integer() ? std::to_string(v.get<long long>()) : Num(v.get<double>());
        out += (out.empty() ? "" : " ") + t;
    }
    return out;
}

void PrintText(const Json& j, const std::string& path) {
    const auto& n = j["grid_points"];
    const auto text = [](const Json& v) { return v.is_null() ? "unknown" : v.get<std::string>(); };
    std::printf("file         %s\n", Printable(path).c_str());
    std::printf("format       %s\n", j["format"].get<std::string>().c_str());
    std::printf("grid points  %d x %d x %d\n", n[0].get<int>(), n[1].get<int>(), n[2].get<int>());
    std::printf("origin       %s\n", Row(j["origin"]).c_str());
    std::printf("step         %s\n", Row(j["step"]).c_str());
    std::printf("density      %s to %s\n", Row(Json::array({j["density_min"]})).c_str(),
                Row(Json::array({j["density_max"]})).c_str());
    std::printf("mean, rms    %s\n",
                Row(Json::array({j["density_mean"], j["density_rms"]})).c_str());
    std::printf("cell         %s\n", Row(j["cell_parameters"]).c_str());
    std::printf("space group  %s\n", Printable(text(j["space_group"])).c_str());
    std::printf("cell matrix\n");
    for (const Json& r : j["cell_matrix"]) std::printf("  %s\n", Row(r).c_str());
    std::printf("cell shift   %s\n", Row(j["cell_shift"]).c_str());
    std::printf("cell corners\n");
    int c = 0;
    for (const Json& r : j["cell_corners"]) std::printf("  %d  %s\n", ++c, Row(r).c_str());
    std::printf("atoms        %zu\n", j["atoms"].size());
    int a = 0;
    for (const Json& atom : j["atoms"])
        std::printf("  %d  %s  %s  %s  fractional %s  type %d\n", ++a,
                    Quoted(atom["name"].get<std::string>()).c_str(),
                    Quoted(atom["label"].get<std::string>()).c_str(), Row(atom["position"]).c_str(),
                    Row(atom["fractional"]).c_str(), atom["type"].get<int>());
    std::printf("bonds        %zu\n", j["bonds"].size());
    for (const Json& b : j["bonds"]) std::printf("  %d  %d\n", b[0].get<int>(), b[1].get<int>());
}

int Run(const Options& o) {
    if (MapFamilyOf(o.map.path) == MapFamily::Unknown)
        fail(o.map.path +
             ": not a map name (.mt1, .fou or .grd, all lower or all upper case; .ccp4, "
             ".map, .mrc, also .gz; .cube, .cub)");
    SceneState s;
    const MapDetails d = OpenMapForCommand(s, o.map, MapUse::Grid);
    FindBonds(s);
    const Json report = Report(s, d);
    if (o.json)
        std::printf("%s\n", report.dump(2, ' ', true).c_str());
    else
        PrintText(report, o.map.path);
    return 0;
}

}  // namespace

Command AddInfo(CLI::App& parent) {
    auto o = std::make_shared<Options>();
    CLI::App* cmd = NewCommand(parent, "info", "MAP [--model MODEL] [--json]",
                               "grid, density range, cell, atoms and bonds of a map", kDetails);
    AddMapArgument(*cmd, o->map);
    cmd->add_flag("--json", o->json, "print the report as one JSON object");
    return {cmd, [o] { return Run(*o); }};
}

}  // namespace eld::eldmap
