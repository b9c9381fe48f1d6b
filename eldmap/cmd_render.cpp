// eldmap render: the picture the viewer's central eye shows, drawn offscreen
// with the viewer's own drawing code and saved as TGA or PNG.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "render/frame.h"
#include "export/tga.h"
#include "gl/gl_setup.h"
#include "gl/read_pixels.h"
#include "eldmap/commands.h"
#include "eldmap/args.h"
#include "eldmap/load.h"
#include "gl/osmesa_context.h"
#include "export/png_file.h"
#include "eldmap/view_options.h"

namespace eld::eldmap {

namespace {

const char kRenderUsage[] =
    "usage: eldmap render MAP -o OUT.tga|OUT.png [options]\n"
    "\n"
    "Draws the map as the viewer shows it after opening it (one central eye,\n"
    "no stereo), offscreen, and saves the picture. The file name's extension\n"
    "chooses the format: .png, otherwise a 24-bit TGA as the viewer saves it.\n"
    "\n"
    "Options:\n";

bool EndsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

}  // namespace

int Render(int argc, char** argv) {
    const std::string model = TakeModelOption(argc, argv);
    ViewOptions o;
    std::string problem = ParseViewOptions(argc, argv, o);
    if (o.help) {
        std::printf("%s%s", kRenderUsage, kViewOptionsHelp);
        return 0;
    }
    if (!problem.empty()) return Error(problem + " (see eldmap render --help)");

    SceneState s;
    LoadForView(s, o.map, model);
    ApplyViewOptions(s, o);
    s.program.DisplayMode = StereoMode::NoStereo;

    OsMesaContext context(o.width, o.height);
    InitDefaultState();
    ResizeFrame(s, o.width, o.height);
    unsigned int error = PaintFrame(s, o.width, o.height);
    if (error != 0) std::fprintf(stderr, "eldmap: %s\n", GlErrorWarning(error).c_str());

    std::vector<std::uint8_t> pixels = ReadFramePixelsBgr(o.width, o.height);
    if (EndsWith(o.output, ".png"))
        WritePng(o.output, o.width, o.height, pixels.data());
    else
        WriteTga(o.output, o.width, o.height, pixels.data());
    return 0;
}

}  // namespace eld::eldmap
