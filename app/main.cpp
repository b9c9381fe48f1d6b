// eldview: the command line before the display, then the start routine.
#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "app/app.h"
#include "eld_version.h"

namespace {

const char kUsage[] =
    "Usage: eldview [-StereoHW] [-StereoInterlaced] [-NoStereo] [-MapRadius R] [MAP]\n"
    "       eldview --help | --version\n"
    "\n"
    "Shows the electron-density map MAP (.mt1, .fou or .grd) with its atoms as\n"
    "iso-surfaces, a contour section and the atom model, in interlaced stereo.\n"
    "Without MAP a file dialog asks for one. -NoStereo draws one plain picture\n"
    "instead (View > Interlaced stereo switches at any time); the other two\n"
    "switches are accepted for old command lines.\n"
    "-MapRadius R draws only the map within R A of the centre of view.\n"
    "Keys: arrows, a, s pan; x, y, z axis views; c resets; + and - step the\n"
    "contour section; p centres on the last pick; h shows the control panel;\n"
    "q or Escape quits; Ctrl+O opens a map, Ctrl+S saves the peak list,\n"
    "Ctrl+Q quits.\n"
    "Data files are read beside the program or from ../share/eldview.\n";

// The X display, opened here so that a missing one is a one-line message
// rather than FLTK's own abort; FLTK then uses this connection.
bool OpenDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display) {
        fl_open_display(display);
        return true;
    }
    const char* name = XDisplayName(nullptr);
    if (name && *name)
        std::fprintf(stderr, "eldview: cannot open the display \"%s\"\n", name);
    else
        std::fprintf(stderr, "eldview: cannot open the display (DISPLAY is not set)\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Recognised only as the whole command line, before the map's command text.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("eldview %s\n", ELD_VERSION);
        return 0;
    }
    if (!OpenDisplay()) return 1;
    eld::App app;
    try {
        return eld::Form_Load(app, argc, argv);
    } catch (const std::exception& e) {
        // Whatever a handler could not deal with: said, not an abort, and the
        // unsaved peaks kept first.
        eld::EndAfterMessages(app, {std::string("Unexpected error: ") + e.what()});
    }
}
