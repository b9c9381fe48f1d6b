// eldmap contour: the contour map of one grid section as SVG.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "eldmap/text.h"
#include "export/atomic_file.h"
#include "mapdata/eld_error.h"
#include "surface/marching_squares.h"

namespace eld::eldmap {
namespace {

const char kDetails[] =
    "Draws the contour lines of one section of the grid (the section at grid\n"
    "index K along axis 3, 1 to N3, default 1) exactly as the viewer computes\n"
    "them, as SVG. Without --level the three default layer limits of the map\n"
    "are used.\n"
    "\n"
    "Each segment becomes one <line> element, in the order the viewer stores\n"
    "them, inside a group per level coloured like the viewer's layer K (levels\n"
    "beyond the third take the colours again from layer 1). The drawing group\n"
    "flips y, so x1, y1, x2, y2 are the scene coordinates of the segment's\n"
    "ends. The grey rectangle is the section frame. A level with more than\n"
    "100 000 segments keeps the first 100 000, as the viewer does, with a\n"
    "warning on stderr.\n"
    "\n"
    "--radius R keeps the viewer's map radius: only the squares whose centre (at\n"
    "the section's height) lies within R Angstrom of the --centre-at point (by\n"
    "default the grid's middle) are contoured, so the lines are the whole\n"
    "section's lines of those squares, in the same order.\n";

struct Options {
    MapInput map;
    std::string output;
    std::vector<std::string> levels;
    int section = 1;
    RegionOptions region;
};

std::string Rgb(const float c[3]) {
    auto byte = [](float v) {
        int b = static_cast<int>(v * 255.0f + 0.5f);
        return std::to_string(b < 0 ? 0 : b > 255 ? 255 : b);
    };
    return "rgb(" + byte(c[0]) + "," + byte(c[1]) + "," + byte(c[2]) + ")";
}

int Run(const Options& o) {
    SceneState s;
    OpenMapForCommand(s, o.map, MapUse::LayerDefaults);
    ApplyRegion(s, o.region);
    const MapGridRecord& g = s.map.MapGrid;
    if (o.section < 1 || o.section > g.N(3))
        fail("--section " + std::to_string(o.section) + " is outside 1.." + std::to_string(g.N(3)) +
             " of '" + o.map.path + "'");
    const std::vector<float> levels = LevelsOrDefaults(o.levels, s);
    s.surfaces.ContourLayer = static_cast<std::int16_t>(o.section);
    const FileNumbers num{o.output};

    // The section frame, as the viewer draws it.
    const float xlo = g.GridOrigin[0], ylo = g.GridOrigin[1];
    const float xhi = g.GridOrigin[0] + static_cast<float>(g.N(1) - 1) * g.GridStep[0];
    const float yhi = g.GridOrigin[1] + static_cast<float>(g.N(2) - 1) * g.GridStep[1];
    const double w = double(xhi) - xlo, h = double(yhi) - ylo;
    const double margin = 0.02 * std::max(w, h) + 1e-6;
    const double stroke = 0.003 * std::max(w, h) + 1e-6;
    const std::string box = num(xlo - margin) + " " + num(-yhi - margin) + " " +
                            num(w + 2 * margin) + " " + num(h + 2 * margin);
    const double height = w > 0 ? 800.0 * (h + 2 * margin) / (w + 2 * margin) : 800.0;

    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" +
        box + "\" width=\"800\" height=\"" + num(height) + "\">\n<title>section " +
        std::to_string(o.section) + "</title>\n<rect x=\"" + num(xlo - margin) + "\" y=\"" +
        num(-yhi - margin) + "\" width=\"" + num(w + 2 * margin) + "\" height=\"" +
        num(h + 2 * margin) + "\" fill=\"black\"/>\n" +
        "<g id=\"scene\" transform=\"scale(1,-1)\" fill=\"none\" "
        "stroke-linecap=\"round\">\n<rect id=\"frame\" x=\"" +
        num(xlo) + "\" y=\"" + num(ylo) + "\" width=\"" + num(w) + "\" height=\"" + num(h) +
        "\" stroke=\"rgb(179,179,179)\" stroke-width=\"" + num(2 * stroke / 3) + "\"/>\n";
    for (std::size_t K = 0; K < levels.size(); ++K) {
        const int L = static_cast<int>(K % 3) + 1;
        if (!GenerateContour(s, levels[K], L))
            std::fprintf(stderr,
                         "eldmap: level %s has more than 100 000 segments; the first 100 000 "
                         "are drawn\n",
                         Num(levels[K]).c_str());
        svg += "<g id=\"level_" + std::to_string(K + 1) + "\" data-level=\"" + Num(levels[K]) +
               "\" stroke=\"" + Rgb(s.layers.ContourColour[L]) + "\" stroke-width=\"" +
               num(stroke) + "\">\n";
        for (int n = 0; n < s.surfaces.ContourSegmentCount[L]; ++n) {
            const ContourSegment& c = s.surfaces.ContourSegments[L][n];
            svg += "<line x1=\"" + num(c.end[0].x) + "\" y1=\"" + num(c.end[0].y) + "\" x2=\"" +
                   num(c.end[1].x) + "\" y2=\"" + num(c.end[1].y) + "\"/>\n";
        }
        svg += "</g>\n";
    }
    svg += "</g>\n</svg>\n";
    AtomicWrite(o.output, svg);
    return 0;
}

}  // namespace

Command AddContour(CLI::App& parent) {
    auto o = std::make_shared<Options>();
    CLI::App* cmd = NewCommand(parent, "contour",
                               "MAP [--section K] [--level V]... -o OUT.svg\n"
                               "                      [--radius R [--centre-at X,Y,Z]]",
                               "the contour map of one section", kDetails);
    AddMapArgument(*cmd, o->map);
    cmd->add_option("--section", o->section, "the section, 1 to N3 (default 1)")->type_name("K");
    AddLevelOption(*cmd, o->levels);
    AddOutputOption(*cmd, o->output, {".svg"}, true);
    AddRegionOptions(*cmd, o->region);
    cmd->callback([o] { RefuseOutputIsInput(o->output, o->map); });
    return {cmd, [o] { return Run(*o); }};
}

}  // namespace eld::eldmap
