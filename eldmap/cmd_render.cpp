// eldmap render: the picture the viewer's central eye shows, drawn offscreen
// with the viewer's own drawing code and saved as TGA or PNG.
#include <cstdio>
#include <memory>
#include <string>

#include "eldmap/cli.h"
#include "eldmap/load.h"
#include "gl/gl_setup.h"
#include "gl/osmesa_context.h"
#include "gl/read_pixels.h"
#include "render/frame.h"

namespace eld::eldmap {

namespace {

const char kDetails[] =
    "Draws the map as the viewer shows it after opening it (one central eye,\n"
    "no stereo), offscreen, and saves the picture: a 24-bit TGA as the viewer\n"
    "saves it, or PNG, by the output's extension.\n"
    "\n"
    "--radius R shows only the map within R Angstrom of the --centre-at point (by\n"
    "default the grid's middle), as the viewer's map radius does: the surface of\n"
    "the cubes and the contours of the squares whose centre lies within R.\n";

int Run(const ViewOptions& o) {
    SceneState s;
    LoadForView(s, o.map, o.maxTriangles, o.region);
    ApplyViewOptions(s, o);
    s.program.DisplayMode = StereoMode::NoStereo;

    OsMesaContext context(o.width, o.height);
    InitDefaultState();
    ResizeFrame(s, o.width, o.height);
    unsigned int error = PaintFrame(s, o.width, o.height);
    if (error != 0) std::fprintf(stderr, "eldmap: %s\n", GlErrorWarning(error).c_str());

    // As File > Save image saves it: PNG by the name, else TGA.
    SaveImage(o.output, o.width, o.height);
    return 0;
}

}  // namespace

Command AddRender(CLI::App& parent) {
    auto o = std::make_shared<ViewOptions>();
    CLI::App* cmd = NewCommand(parent, "render", "MAP -o OUT.tga|OUT.png [options]",
                               "draw the picture offscreen", kDetails);
    AddViewOptions(*cmd, *o, {".tga", ".png"});
    return {cmd, [o] { return Run(*o); }};
}

}  // namespace eld::eldmap
