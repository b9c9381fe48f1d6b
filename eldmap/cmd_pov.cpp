// eldmap pov: the POV-Ray scene of a view, as File > Save POVRAY file writes it.
#include <memory>
#include <string>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "export/povray.h"

namespace eld::eldmap {

namespace {

const char kDetails[] =
    "Writes the POV-Ray scene of the map as the viewer shows it after opening it.\n"
    "Camera, lights, radii and colours come from ELDmap_POVray_head.def beside\n"
    "the program; the camera frames the picture for any size, e.g.\n"
    "  povray +I OUT.pov +O OUT.png +W564 +H494 -D\n"
    "(--size is accepted for symmetry with render; the scene does not depend on it.)\n"
    "--radius R keeps only the map within R Angstrom of --centre-at, as render does.\n";

}  // namespace

Command AddPov(CLI::App& parent) {
    auto o = std::make_shared<ViewOptions>();
    CLI::App* cmd = NewCommand(parent, "pov", "MAP -o OUT.pov [options]",
                               "write the POV-Ray scene of a view", kDetails);
    AddViewOptions(*cmd, *o, {".pov"});
    return {cmd, [o] {
                SceneState s;
                LoadForView(s, o->map, o->maxTriangles, o->region);
                ApplyViewOptions(s, *o);
                WritePovrayScene(s, o->output);
                return 0;
            }};
}

}  // namespace eld::eldmap
