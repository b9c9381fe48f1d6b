// eldmap peaks: the density peaks of a map, highest first, each with the
// nearest atom of the model; as text, JSON or a peak-list file.
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "mapdata/data_files.h"
#include "mapdata/level_text.h"
#include "mapdata/open_map.h"
#include "mapdata/peak_list.h"
#include "mapdata/peak_search.h"

namespace eld::eldmap {
namespace {

const char kDetails[] =
    "Local maxima of the density above --min, refined between grid points, highest\n"
    "first. Copies of one site by lattice translation (or by the space group's\n"
    "symmetry, when the map has one) are listed once, in the copy nearest the model.\n"
    "A CCP4/MRC or cube map is read over its whole cell; the space group comes from\n"
    "the map or else from the model.\n"
    "\n"
    "--json prints a list of objects with height, sigma, fractional, position\n"
    "(scene coordinates), nearest_atom and distance; -o also writes the peaks as a\n"
    "peak-list file (atom records Q in fractional coordinates), at most 200.\n"
    "Text: one line per peak with rank, height, height in sigma, fractional x y z,\n"
    "and the nearest model atom (symmetry and lattice copies included) with its\n"
    "distance.\n";

struct PeaksRequest {
    MapInput map;
    std::string min = "3sigma", out;
    int max = 50;
    bool json = false;
};

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

int RunPeaks(const PeaksRequest& r) {
    SceneState s;
    // The whole cell, so that every site has a copy in the grid.
    ConvertOptions convert;
    convert.Box = BoxChoice::Cell;
    const MapDetails details = OpenMapForCommand(s, r.map, MapUse::Grid, 0, convert);
    // Sigma is the map's own, over the points it stores, when it tells it.
    if (details.HasStats) {
        s.map.MapGrid.DensityMean = details.Mean;
        s.map.MapGrid.DensityRms = details.Rms;
    }
    std::vector<std::string> labels = s.map.AtomLabels;
    if (labels.size() != s.map.AtomNames.size())
        for (const std::string& n : s.map.AtomNames) labels.push_back(Trim(n));

    PeakSearchOptions o;
    o.MinLevel = eld::LevelValue(*ParseLevelText(r.min), s.map.MapGrid);
    o.MaxPeaks = r.max;
    o.Symmetry = details.Symmetry;
    const std::vector<FoundPeak> peaks = FindPeaks(s, o);

    if (r.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const FoundPeak& p : peaks) {
            nlohmann::json j = {{"height", p.Height},         {"sigma", p.Sigma},
                                {"fractional", p.Fractional}, {"position", p.Position},
                                {"nearest_atom", nullptr},    {"distance", nullptr}};
            if (p.NearestAtom >= 0) {
                j["nearest_atom"] = labels[p.NearestAtom];
                j["distance"] = p.Distance;
            }
            list.push_back(j);
        }
        std::printf("%s\n", list.dump(1).c_str());
    } else {
        std::printf("# rank  height  sigma  x y z (fractional)  nearest atom  distance\n");
        for (std::size_t k = 0; k < peaks.size(); ++k) {
            const FoundPeak& p = peaks[k];
            char distance[32] = "-";
            if (p.NearestAtom >= 0) std::snprintf(distance, sizeof distance, "%.3f", p.Distance);
            std::printf("%4zu %10.4g %7.2f %10.6f %10.6f %10.6f  %-5s %s\n", k + 1, p.Height,
                        p.Sigma, p.Fractional[0], p.Fractional[1], p.Fractional[2],
                        p.NearestAtom >= 0 ? labels[p.NearestAtom].c_str() : "-", distance);
        }
    }

    if (!r.out.empty()) {
        // The peak list as the viewer saves picked peaks.
        SceneState list;
        list.map.CellMatrix = s.map.CellMatrix;
        for (int k = 0; k < 3; ++k) list.map.CellShift[k] = s.map.CellShift[k];
        for (const FoundPeak& p : peaks) {
            for (int k = 0; k < 3; ++k)
                list.peaks.PeakList[list.peaks.PeakCount][k] = float(p.Position[k]);
            ++list.peaks.PeakCount;
        }
        WritePeakListFile(r.out, PeakListText(list));
    }
    return 0;
}

}  // namespace

Command AddPeaks(CLI::App& parent) {
    auto r = std::make_shared<PeaksRequest>();
    CLI::App* cmd = NewCommand(parent, "peaks",
                               "MAP [--model MODEL] [--min LEVEL|Nsigma] [--max N] [--json]\n"
                               "                    [-o newatoms.dat]",
                               "refined density peaks with the nearest model atom", kDetails);
    AddMapArgument(*cmd, r->map);
    cmd->add_option("--min", r->min,
                    "the lowest peak height: a density value, or N sigma (mean + N rms of "
                    "the map; default 3sigma)")
        ->type_name("LEVEL");
    cmd->add_option("--max", r->max, "at most N peaks (default 50)")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    cmd->add_flag("--json", r->json, "print the peaks as JSON");
    cmd->add_option("-o,--output", r->out, "also write the peaks as a peak-list file")
        ->type_name("FILE");
    cmd->callback([r] {
        if (!ParseLevelText(r->min))
            throw CLI::ValidationError("peaks: --min takes a density value or Nsigma, not '" +
                                       r->min + "'");
        if (!r->out.empty() && r->max > kMaxPeaks)
            throw CLI::ValidationError("peaks: a peak-list file holds at most " +
                                       std::to_string(kMaxPeaks) + " peaks (--max)");
        RefuseOutputIsInput(r->out, r->map);
    });
    return {cmd, [r] { return RunPeaks(*r); }};
}

}  // namespace eld::eldmap
