#include "app/app.h"

#include <FL/Fl_Double_Window.H>

#include "app/progress_window.h"
#include "ui/about_window.h"
#include "ui/help_window.h"

namespace eld {

App::App() = default;

App::~App() {
    HideSecondaryWindows(*this);
    delete frmMain;  // owns the menu bar and the view
}

void HideSecondaryWindows(App& a) {
    // In the order the program closes them: control panel, help, about, progress.
    if (a.controlPanel) a.controlPanel->Destroy();
    if (a.help) a.help->Destroy();
    if (a.about) a.about->Destroy();
    if (a.frmProgressBar) a.frmProgressBar->Destroy();
}

}  // namespace eld
