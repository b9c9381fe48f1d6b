// eldmap: batch work on electron-density maps with the viewer's own core.
#include <cstdio>
#include <cstring>
#include <exception>

#include "eldmap/commands.h"

namespace {

const char kUsage[] =
    "usage: eldmap COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  info MAP [--json]            grid, density range, cell, atoms and bonds of a map\n"
    "  surface MAP [--level V]... [-o OUT.obj|.ply|.stl] [--weld] [--json]\n"
    "                               iso-surfaces as the viewer extracts them\n"
    "  contour MAP [--section K] [--level V]... -o OUT.svg\n"
    "                               the contour map of one section\n"
    "  render MAP -o OUT.tga|OUT.png [view options]\n"
    "                               draw the picture offscreen\n"
    "  pov MAP -o OUT.pov [view options]\n"
    "                               write the POV-Ray scene of a view\n"
    "  convert IN OUT [--model MODEL.pdb] [--step S] [--box cell|atoms[:MARGIN]]\n"
    "                               turn CCP4/MRC and cube maps into .mt1/.fou/.grd\n"
    "  peaks MAP [--model MODEL] [--min LEVEL|Nsigma] [--max N] [--json] [-o FILE]\n"
    "                               density peaks, highest first, with the nearest atom\n"
    "\n"
    "MAP is a .mt1, .fou or .grd file, a CCP4/MRC map (.ccp4, .map, .mrc, also\n"
    "gzipped) or a Gaussian cube (.cube, .cub); maps of other programs are\n"
    "converted as 'eldmap convert' does. Every command takes --model MODEL (.pdb,\n"
    ".ent, .cif, .mmcif, also .gz): the model's atoms replace the map's.\n"
    "'eldmap COMMAND --help' tells more.\n";

struct Command {
    const char* name;
    int (*run)(int, char**);
};

const Command kCommands[] = {
    {"info", eld::eldmap::Info},       {"surface", eld::eldmap::Surface},
    {"contour", eld::eldmap::Contour}, {"render", eld::eldmap::Render},
    {"pov", eld::eldmap::Pov},         {"convert", eld::eldmap::Convert},
    {"peaks", eld::eldmap::Peaks},
};

}  // namespace

namespace eld::eldmap {
int Error(const std::string& message) {
    std::fprintf(stderr, "eldmap: %s\n", message.c_str());
    return 1;
}
}  // namespace eld::eldmap

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 1 : 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::puts("eldmap 1.1");
        return 0;
    }
    for (const Command& c : kCommands) {
        if (!std::strcmp(argv[1], c.name)) {
            try {
                return c.run(argc - 2, argv + 2);
            } catch (const std::exception& e) {
                return eld::eldmap::Error(e.what());
            }
        }
    }
    return eld::eldmap::Error(std::string("unknown command '") + argv[1] + "' (see eldmap --help)");
}
