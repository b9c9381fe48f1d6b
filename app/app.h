// The viewer program: one App holds the scene state, the dialogs and the
// windows; the free functions below are the main window's handlers and
// procedures, each working on that App. Only app/ and ui/ touch FLTK.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/peak_saving.h"
#include "gl/gl_setup.h"
#include "mapdata/eld_error.h"
#include "mapdata/scene_state.h"
#include "ui/control_panel.h"
#include "ui/fltk_dialogs.h"

class Fl_Double_Window;
class Fl_Menu_Bar;
class Fl_Window;

namespace eld {

class MainGlView;
class ProgressWindow;
class frmAbout;
class frmHelp;
struct App;

// The control panel's way back into the main window.
struct AppPanelHost : ControlPanelHost {
    explicit AppPanelHost(App& a) : app(a) {}
    void GenerateFields() override;
    void Repaint() override;
    void SetView(Axis direction) override;
    App& app;
};

struct App {
    App();
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    SceneState s;
    FltkDialogs dialogs;

    // frmMain: the top-level window with the menu bar and the GL view below it.
    Fl_Double_Window* frmMain = nullptr;
    Fl_Menu_Bar* menu = nullptr;
    MainGlView* view = nullptr;
    std::string title;  // the window keeps a pointer to its label

    std::unique_ptr<ProgressWindow> frmProgressBar;
    AppPanelHost panelHost{*this};
    std::unique_ptr<frmControlPanel> controlPanel;
    std::unique_ptr<frmAbout> about;
    std::unique_ptr<frmHelp> help;

    // While a map is opened at start there is no map to fall back on: a file
    // that cannot be read ends the program. Later opens keep the current map.
    bool startingUp = true;
    // Peaks not yet in a saved file; kept in a recovery file when the program
    // must end.
    UnsavedPeaks unsaved;
    // The single central-eye picture instead of interlaced stereo: asked for
    // by "-NoStereo" or View > Interlaced stereo, kept across File > Open.
    bool monoView = false;
    // A middle-button drag pans; the pointer's last position.
    bool panDragActive = false;
    float panLastX = 0, panLastY = 0;
};

// ---- start and end (main.cpp) ----
// The start routine: reads the map, resets the view, sets up the window and GL
// state, shows the window and runs the idle loop. Returns the exit status.
int Form_Load(App& a, int argc, const char* const* argv);
// The end: offers pending peaks for saving, releases the context, hides the
// secondary windows and makes the idle loop return (exit status 0).
void Form_Unload(App& a);
// Ends the program at once, without the shutdown (bad data, capacity).
[[noreturn]] void EndProgramNow(int status);
// The ends the program cannot avoid (bad data, capacity, no file): first the
// unsaved peaks go to their recovery file, then the messages are shown in
// order, then the program ends with status 1.
[[noreturn]] void EndAfterMessages(App& a, const std::vector<std::string>& messages);
// Reports an EldError the way its kind asks: Fatal shows the message and ends
// with status 1, FatalSilent prints it and ends with 1; Recoverable shows the
// message and returns.
void ReportError(App& a, const EldError& e);

// ---- map opening (map_opening.cpp) ----
// Switches, file choice, title, reading, layer defaults, bonds, extraction.
// Returns false when a later open could not read the file (message shown;
// the current map, view and peaks stay).
bool LoadMapFile(App& a, std::string& commandText);
// File > Open model...: the atoms of a structure model replace the current
// map's (a map of another program is converted again, boxed around them).
// Returns false when cancelled or when the model cannot be used (message shown).
bool LoadModelFile(App& a);
void ResetView(App& a);
// Re-extracts the visible layers' surfaces and the contours with the progress
// window (shown only after 0.2 s when quietWhenQuick), about the centre of
// view when there is a map radius; clears SceneListValid. Does not paint.
void GenerateFields(App& a, bool quietWhenQuick = false);

// ---- the map radius (view_region.cpp) ----
// With a map radius, re-extracts when the centre of view has moved (a pan, a
// centring, a zoom about a panned view); Form_Paint runs it first.
void FollowViewCentre(App& a);
// View > Map radius: R in A (0 = the whole map); re-extracts and paints.
void SetMapRadius(App& a, float radius);
// View > Centre on last pick and the "p" key: the picked point becomes the
// centre of view; paints (and so re-extracts with a map radius).
void CentreOnLastPick(App& a);

// ---- frames and window (main_window.cpp) ----
// Builds frmMain (menu bar and GL view, client area 564 x 494) without
// showing it.
void CreateMainWindow(App& a);
void SetMainTitle(App& a, const std::string& title);
// Chooses the window's pixel format by DisplayMode; a format the display
// cannot give ends the program with the fatal-error box. On a shown window a
// new format re-creates the GL window and its context.
void ChoosePixelFormat(App& a);
// The GL window mode (FL_RGB, FL_DOUBLE, ...) for a request, as the display
// can give it: the whole request, else the same without stencil and stereo
// (the interlaced mask or the second eye then just do not work; nothing is
// reported), else plain colour; 0 when canDo refuses even that.
int GlWindowMode(const PixelFormatRequest& request, const std::function<bool(int)>& canDo);
void ShowMainWindow(App& a);
// Raises a shown main window and gives the view the keyboard focus.
void ActivateMainWindow(App& a);
// Makes no context current and deletes the view's rendering context.
void ReleaseView(App& a);
void HideMainWindow(App& a);
// Moves a window that is about to open beside the main window (right, else
// left, as the screen allows). Before the main window is first shown, places
// it too, so that the pair fits the screen.
void PlaceBesideMainWindow(App& a, Fl_Window& w);
// Draws and presents one frame now (when the window is shown).
void Form_Paint(App& a);
// Recomputes viewport, aspect factors and the stencil mask, then paints.
void Form_Resize(App& a);
int ViewWidth(const App& a);
int ViewHeight(const App& a);
// Screen position of a pixel of the GL view (x, y from its top left).
ScreenPoint ViewToScreen(const App& a, float x, float y);
// Makes the main window's context current (for picking and read-back).
bool MakeViewCurrent(App& a);
// Draws a frame into the back buffer without presenting it and selects that
// buffer for reading; false when the window is not shown.
bool RenderForReadBack(App& a);

// ---- input (input.cpp) ----
// Button: 1 left, 2 right, 4 middle (drags to pan). Shift: 1 for Shift alone.
void Form_MouseDown(App& a, int button, int shift, float x, float y);
void Form_MouseUp(App& a, int button, int shift, float x, float y);
void Form_MouseMove(App& a, int button, int shift, float x, float y);
// Wheel turned by dy notches (negative away from the user): zooms and paints.
void Form_MouseWheel(App& a, int dy);
// Key codes: FLTK's (FL_Up, FL_Escape, ...); every key press comes here first.
void Form_KeyDown(App& a, int keyCode, int shift);
// Character keys, after Form_KeyDown.
void Form_KeyPress(App& a, int keyAscii);
// One step of continuous rotation and its frame.
void SpinStep(App& a);
void SetView(App& a, Axis direction);

// ---- menus and picking (menus.cpp) ----
// The save dialogs' filters. For the picture TGA comes first, as the default;
// a name ending in .png saves a PNG instead.
inline constexpr const char* kPovrayFilter = "POVRAY files (*.pov)|*.pov|All files (*.*)|*.*";
inline constexpr const char* kImageFilter =
    "TGA pictures (*.tga)|*.tga|PNG pictures (*.png)|*.png";
void BuildMenu(App& a);
void mnuFile_Open_ELD_map_Click(App& a);
void mnuFile_Open_model_Click(App& a);
void mnuFile_Save_peak_list_Click(App& a);
void mnuSavePovrayFile_Click(App& a);
void mnuFile_Save_image_Click(App& a);
void mnuFileExit_Click(App& a);
void mnuEditClearPeaks_Click(App& a);
// Adds the density peaks above the lowest shown layer to the peak list.
void mnuEditFindPeaks_Click(App& a);
void mnuViewShow_Control_Panel_Click(App& a);
void mnuViewBackgroundColor_Click(App& a);
// Switches between interlaced stereo and the single central-eye picture.
void mnuViewStereo_Click(App& a);
// Ticks View > Interlaced stereo when the picture is drawn interlaced.
void SyncViewMenu(App& a);
void mnuHelpHelp_Click(App& a);
void mnuHelpAbout_Click(App& a);
// A click that finds nothing says why on stderr; a found point is marked and
// offered with the question placed clear of the marker.
void PickPoint(App& a, float x, float y);
void ConfirmPeak(App& a, const float point[3], ScreenPoint marker);
// Shows the control panel, beside the main window when it was not up.
void ShowControlPanel(App& a);

// ---- the secondary windows at shutdown (app.cpp) ----
void HideSecondaryWindows(App& a);

}  // namespace eld
