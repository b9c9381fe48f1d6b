// eldmap pov: the POV-Ray scene of a view, as File > Save POVRAY file writes it.
#include <cstdio>
#include <string>

#include "export/povray.h"
#include "eldmap/commands.h"
#include "eldmap/args.h"
#include "eldmap/load.h"
#include "eldmap/view_options.h"

namespace eld::eldmap {

namespace {

const char kPovUsage[] =
    "usage: eldmap pov MAP -o OUT.pov [options]\n"
    "\n"
    "Writes the POV-Ray scene of the map as the viewer shows it after opening it.\n"
    "Camera, lights, radii and colours come from ELDmap_POVray_head.def beside\n"
    "the program; the camera frames the picture for any size, e.g.\n"
    "  povray +I OUT.pov +O OUT.png +W564 +H494 -D\n"
    "(--size is accepted for symmetry with render; the scene does not depend on it.)\n"
    "\n"
    "Options:\n";

}  // namespace

int Pov(int argc, char** argv) {
    const std::string model = TakeModelOption(argc, argv);
    ViewOptions o;
    std::string problem = ParseViewOptions(argc, argv, o);
    if (o.help) {
        std::printf("%s%s", kPovUsage, kViewOptionsHelp);
        return 0;
    }
    if (!problem.empty()) return Error(problem + " (see eldmap pov --help)");

    SceneState s;
    LoadForView(s, o.map, model);
    ApplyViewOptions(s, o);
    WritePovrayScene(s, o.output);
    return 0;
}

}  // namespace eld::eldmap
