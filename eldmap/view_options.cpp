#include "eldmap/view_options.h"

#include <cstdlib>
#include <cstring>

#include "eldmap/args.h"
#include "view/view_control.h"

namespace eld::eldmap {

const char kViewOptionsHelp[] =
    "  --size WxH            picture size in pixels (default 564x494, the viewer's window)\n"
    "  --view x|y|z          look along an axis (default: the start view)\n"
    "  --style web|triangle  surface grid style (default web)\n"
    "  --no-atoms            leave out atoms and bonds\n"
    "  --cell                show the unit cell\n"
    "  --no-contour          leave out the contour map of the first section\n"
    "  --model MODEL         the atoms of a structure model (.pdb, .ent, .cif, .mmcif,\n"
    "                        also .gz) instead of the map's\n";

namespace {

bool ParseSize(const char* text, int& w, int& h) {
    char* end = nullptr;
    long a = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* second = end + 1;
    long b = std::strtol(second, &end, 10);
    if (end == second || *end != '\0') return false;
    if (a < 1 || b < 1 || a > 16384 || b > 16384) return false;
    w = static_cast<int>(a);
    h = static_cast<int>(b);
    return true;
}

}  // namespace

std::string ParseViewOptions(int argc, char** argv, ViewOptions& o) {
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "-o" || a == "--output") {
            if (!value(o.output)) return a + " needs a file name";
        } else if (a == "--size") {
            if (!value(v) || !ParseSize(v.c_str(), o.width, o.height))
                return "--size needs WIDTHxHEIGHT, each 1 to 16384 (e.g. 564x494)";
        } else if (a == "--view") {
            if (!value(v) || v.size() != 1 || !std::strchr("xyzXYZ", v[0]))
                return "--view needs x, y or z";
            o.view = std::string(1, static_cast<char>(v[0] & ~0x20));  // upper case
        } else if (a == "--style") {
            if (!value(v) || (v != "web" && v != "triangle"))
                return "--style needs web or triangle";
            o.style = v == "web" ? 1 : 2;
        } else if (a == "--no-atoms") {
            o.atoms = false;
        } else if (a == "--cell") {
            o.cell = true;
        } else if (a == "--no-contour") {
            o.contour = false;
        } else if (std::string problem = TakeMapArgument(a, o.map); !problem.empty()) {
            return problem;
        }
    }
    if (o.help) return "";
    if (o.map.empty()) return "no map given";
    if (o.output.empty()) return "no output file given (-o FILE)";
    return "";
}

void ApplyViewOptions(SceneState& s, const ViewOptions& o) {
    s.switches.SurfaceStyle = static_cast<std::int16_t>(o.style);
    s.switches.ShowAtoms = o.atoms ? kTrue : kFalse;
    s.switches.ShowCell = o.cell ? kTrue : kFalse;
    s.switches.ShowContourMap = o.contour ? kTrue : kFalse;
    if (const auto axis = AxisFromText(o.view)) SetView(s, *axis);
    InvalidateScene(s);
}

}  // namespace eld::eldmap
