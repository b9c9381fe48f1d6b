// eldview: the start routine, the idle loop and the end of the program.
#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "app/progress_window.h"
#include "mapdata/command_line.h"
#include "mapdata/data_files.h"
#include "app/peak_saving.h"

namespace eld {

void EndProgramNow(int status) {
    std::fflush(stderr);
    std::exit(status);
}

void ReportError(App& a, const EldError& e) {
    switch (e.kind()) {
        case ErrorKind::Fatal:
            a.dialogs.Message(e.what());
            EndProgramNow(1);
        case ErrorKind::FatalSilent:
            std::fprintf(stderr, "eldview: %s\n", e.what());
            EndProgramNow(1);
        case ErrorKind::Recoverable:
            a.dialogs.Message(e.what());
            return;
    }
}

namespace {

// Yields to FLTK and runs the spin step while the scene spins. An idle viewer
// blocks in Fl::wait() and uses no processor; a spinning one draws one frame
// per pass, so the rotation is paced by the frame rate.
void IdleLoop(App& a) {
    while (!a.s.program.QuitRequested) {
        if (a.s.view.SpinActive) {
            Fl::check();
            if (a.s.program.QuitRequested) break;
            if (a.s.view.SpinActive) SpinStep(a);
        } else {
            Fl::wait();
        }
        ShowPendingWarning(a);
    }
}

}  // namespace

int Form_Load(App& a, int argc, const char* const* argv) {
    a.s.program.DisplayMode = StereoMode::Nothing;
    a.s.program.DataFolder = FindDataFolder();
    CreateMainWindow(a);

    std::string commandText = JoinArguments(argc, argv);
    a.startingUp = true;
    LoadMapFile(a, commandText);  // ends the program itself when it cannot go on
    a.startingUp = false;
    ResetView(a);

    // The window's pixel format; FLTK creates the context when the window is
    // first shown, and the view's first draw sets the default GL state.
    ChoosePixelFormat(a);
    a.s.view.ClearColour[0] = a.s.view.ClearColour[1] = a.s.view.ClearColour[2] = a.s.view.ClearColour[3] = 0.0f;
    ShowMainWindow(a);

    IdleLoop(a);
    return 0;
}

void Form_Unload(App& a) {
    if (a.s.program.QuitRequested) return;  // already on the way out
    a.s.view.SpinActive = kFalse;
    if (a.s.peaks.PeakCount > 0) SavePeakList(a.s, a.dialogs);
    a.s.program.QuitRequested = kTrue;
    ReleaseView(a);
    HideSecondaryWindows(a);
    HideMainWindow(a);
}

}  // namespace eld

namespace {

const char kUsage[] =
    "Usage: eldview [-StereoHW] [-StereoInterlaced] [MAP]\n"
    "       eldview --help | --version\n"
    "\n"
    "Shows the electron-density map MAP (.mt1, .fou or .grd) with its atoms as\n"
    "iso-surfaces, a contour section and the atom model, in interlaced stereo.\n"
    "Without MAP a file dialog asks for one. The switches are accepted for old\n"
    "command lines; every picture is drawn interlaced.\n"
    "Keys: arrows, a, s pan; x, y, z axis views; c resets; + and - step the\n"
    "contour section; h shows the control panel; q or Escape quits.\n"
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
    return eld::Form_Load(app, argc, argv);
}
