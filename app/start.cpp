// eldview: the start routine, the idle loop and the end of the program.
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "app/peak_saving.h"
#include "app/progress_window.h"
#include "mapdata/command_line.h"
#include "mapdata/data_files.h"

namespace eld {

void EndProgramNow(int status) {
    std::fflush(stderr);
    std::exit(status);
}

void EndAfterMessages(App& a, const std::vector<std::string>& messages) {
    // Before the boxes: a program killed while one is open keeps its peaks.
    KeepUnsavedPeaks(a.unsaved);
    for (const std::string& m : messages) a.dialogs.Message(m);
    EndProgramNow(1);
}

void ReportError(App& a, const EldError& e) {
    switch (e.kind()) {
        case ErrorKind::Fatal:
            EndAfterMessages(a, {e.what()});
        case ErrorKind::FatalSilent:
            KeepUnsavedPeaks(a.unsaved);
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
    a.s.view.ClearColour[0] = a.s.view.ClearColour[1] = a.s.view.ClearColour[2] =
        a.s.view.ClearColour[3] = 0.0f;
    ShowMainWindow(a);

    IdleLoop(a);
    return 0;
}

void Form_Unload(App& a) {
    if (a.s.program.QuitRequested) return;  // already on the way out
    a.s.view.SpinActive = kFalse;
    if (a.s.peaks.PeakCount > 0) {
        if (SavePeakList(a.s, a.dialogs))
            NotePeaksSaved(a.unsaved, a.s);
        else
            KeepUnsavedPeaks(a.unsaved);  // not written: the program ends all the same
    }
    a.s.program.QuitRequested = kTrue;
    ReleaseView(a);
    HideSecondaryWindows(a);
    HideMainWindow(a);
}

}  // namespace eld
