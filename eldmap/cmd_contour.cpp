// eldmap contour: the contour map of one grid section as SVG.
#include <cstdio>
#include <string>
#include <vector>

#include "export/atomic_file.h"
#include "mapdata/read_map.h"
#include "surface/marching_squares.h"
#include "eldmap/args.h"
#include "eldmap/commands.h"
#include "eldmap/load.h"

namespace eld::eldmap {
namespace {

const char kUsage[] =
    "usage: eldmap contour MAP [--section K] [--level V]... -o OUT.svg\n"
    "\n"
    "Draws the contour lines of one section of the grid (the section at grid\n"
    "index K along axis 3) exactly as the viewer computes them, as SVG.\n"
    "Without --level the three default layer limits of the map are used.\n"
    "\n"
    "Options:\n"
    "  --section K  the section, 1 to N3 (default 1)\n"
    "  --level V    a density limit; repeat for several sets of lines\n"
    "  --model M    the atoms of a structure model (.pdb, .ent, .cif, .mmcif)\n"
    "  -o OUT.svg   the picture to write\n"
    "\n"
    "Each segment becomes one <line> element, in the order the viewer stores\n"
    "them, inside a group per level coloured like the viewer's layer K (levels\n"
    "beyond the third take the colours again from layer 1). The drawing group\n"
    "flips y, so x1, y1, x2, y2 are the scene coordinates of the segment's\n"
    "ends. The grey rectangle is the section frame. A level with more than\n"
    "100 000 segments keeps the first 100 000, as the viewer does, with a\n"
    "warning on stderr.\n";

struct Options {
    std::string map, output;
    std::vector<float> levels;
    int section = 1;
    bool help = false;
};

std::string Parse(int argc, char** argv, Options& o) {
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--level") {
            float v;
            if (!next || !ParseFloat(next, v)) return "--level needs a number";
            o.levels.push_back(v);
            ++i;
        } else if (a == "--section") {
            if (!next || !ParseInt(next, o.section)) return "--section needs a whole number";
            ++i;
        } else if (a == "-o") {
            if (!next || !*next) return "-o needs a file name";
            o.output = next;
            ++i;
        } else if (std::string problem = TakeMapArgument(a, o.map); !problem.empty()) {
            return problem;
        }
    }
    if (o.help) return "";
    if (o.map.empty()) return "no map given";
    if (o.output.empty()) return "no output file given (-o OUT.svg)";
    return "";
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string Rgb(const float c[3]) {
    auto byte = [](float v) {
        int b = static_cast<int>(v * 255.0f + 0.5f);
        return std::to_string(b < 0 ? 0 : b > 255 ? 255 : b);
    };
    return "rgb(" + byte(c[0]) + "," + byte(c[1]) + "," + byte(c[2]) + ")";
}

}  // namespace

int Contour(int argc, char** argv) {
    const std::string model = TakeModelOption(argc, argv);
    Options o;
    std::string problem = Parse(argc, argv, o);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!problem.empty()) return Error(problem + " (see eldmap contour --help)");

    SceneState s;
    OpenMapWithLayerDefaults(s, o.map, model);
    const MapGridRecord& g = s.map.MapGrid;
    if (o.section < 1 || o.section > g.N(3))
        return Error("--section " + std::to_string(o.section) + " is outside 1.." +
                     std::to_string(g.N(3)) + " of '" + o.map + "'");
    if (o.levels.empty()) o.levels.assign(s.layers.LayerLimit + 1, s.layers.LayerLimit + 4);
    s.surfaces.ContourLayer = static_cast<std::int16_t>(o.section);

    // The section frame, as the viewer draws it.
    const float xlo = g.GridOrigin[0], ylo = g.GridOrigin[1];
    const float xhi = g.GridOrigin[0] + static_cast<float>(g.N(1) - 1) * g.GridStep[0];
    const float yhi = g.GridOrigin[1] + static_cast<float>(g.N(2) - 1) * g.GridStep[1];
    const double w = double(xhi) - xlo, h = double(yhi) - ylo;
    const double margin = 0.02 * std::max(w, h) + 1e-6;
    const double stroke = 0.003 * std::max(w, h) + 1e-6;

    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" +
        Num(xlo - margin) + " " + Num(-yhi - margin) + " " + Num(w + 2 * margin) + " " +
        Num(h + 2 * margin) + "\" width=\"800\" height=\"" +
        Num(w > 0 ? 800.0 * (h + 2 * margin) / (w + 2 * margin) : 800.0) + "\">\n" + "<title>" +
        "section " + std::to_string(o.section) + "</title>\n" + "<rect x=\"" + Num(xlo - margin) +
        "\" y=\"" + Num(-yhi - margin) + "\" width=\"" + Num(w + 2 * margin) + "\" height=\"" +
        Num(h + 2 * margin) + "\" fill=\"black\"/>\n" +
        "<g id=\"scene\" transform=\"scale(1,-1)\" fill=\"none\" stroke-linecap=\"round\">\n" +
        "<rect id=\"frame\" x=\"" + Num(xlo) + "\" y=\"" + Num(ylo) + "\" width=\"" + Num(w) +
        "\" height=\"" + Num(h) + "\" stroke=\"rgb(179,179,179)\" stroke-width=\"" +
        Num(2 * stroke / 3) + "\"/>\n";
    for (std::size_t K = 0; K < o.levels.size(); ++K) {
        const int L = static_cast<int>(K % 3) + 1;
        if (!GenerateContour(s, o.levels[K], L))
            std::fprintf(stderr,
                         "eldmap: level %s has more than 100 000 segments; the first 100 000 "
                         "are drawn\n",
                         FloatText(o.levels[K]).c_str());
        svg += "<g id=\"level_" + std::to_string(K + 1) + "\" data-level=\"" +
               FloatText(o.levels[K]) + "\" stroke=\"" + Rgb(s.layers.ContourColour[L]) +
               "\" stroke-width=\"" + Num(stroke) + "\">\n";
        for (int n = 0; n < s.surfaces.ContourSegmentCount[L]; ++n) {
            const ContourSegment& c = s.surfaces.ContourSegments[L][n];
            svg += "<line x1=\"" + Num(c.end[0].x) + "\" y1=\"" + Num(c.end[0].y) + "\" x2=\"" +
                   Num(c.end[1].x) + "\" y2=\"" + Num(c.end[1].y) + "\"/>\n";
        }
        svg += "</g>\n";
    }
    svg += "</g>\n</svg>\n";
    AtomicWrite(o.output, svg);
    return 0;
}

}  // namespace eld::eldmap
