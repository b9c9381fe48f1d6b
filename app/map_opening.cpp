// Opening a map (at start and from File > Open), the view reset and the
// extraction of the fields with the progress window.
#include <memory>

#include "app/app.h"
#include "app/progress_window.h"
#include "mapdata/atoms.h"
#include "mapdata/command_line.h"
#include "mapdata/presets.h"
#include "mapdata/read_map.h"
#include "surface/layer_properties.h"
#include "surface/marching_cubes.h"
#include "view/view_control.h"

namespace eld {

namespace {

// A file that cannot be used: at start there is nothing to go on with, later
// the current map stays.
bool HandleLoadError(App& a, const EldError& e) {
    ReportError(a, e);  // Fatal and FatalSilent end the program here
    if (a.startingUp) EndProgramNow(1);
    return false;
}

}  // namespace

bool LoadMapFile(App& a, std::string& commandText) {
    SceneState& s = a.s;
    CommandLineChoice choice = ParseCommandText(commandText);
    commandText = choice.FileText;
    // A later open has empty text: its mode stays what it was until it is set
    // below, so a frame drawn behind the open dialog uses the running mode.
    if (choice.DisplayMode != StereoMode::NoStereo || s.program.DisplayMode == StereoMode::Nothing)
        s.program.DisplayMode = choice.DisplayMode;

    std::string fileName = commandText.empty() ? a.dialogs.OpenFile(kMapFileFilter) : commandText;
    // Interlaced stereo unless the plain picture was asked for; the older
    // switches only leave the file name.
    if (choice.NoStereo) a.monoView = true;
    s.program.DisplayMode = a.monoView ? StereoMode::NoStereo : StereoMode::StereoInterlaced;
    SyncViewMenu(a);

    if (fileName.empty()) {
        a.dialogs.Message("No input given !!");
        EndProgramNow(1);
    }

    const std::string previousName = s.map.MapFileName;
    const std::string previousTitle = a.title;
    s.map.MapFileName = fileName;
    SetMainTitle(a, WindowTitleFor(fileName));

    if (MapKindOf(fileName) == MapKind::Unknown) {
        a.dialogs.Message("Strange file extension !!!");
        a.dialogs.Message(MapExtension(fileName));
        EndProgramNow(1);
    }

    try {
        // Reads into a scratch state: a failure leaves the current map whole.
        ReadMapFile(s, fileName);
    } catch (const EldError& e) {
        s.map.MapFileName = previousName;
        SetMainTitle(a, previousTitle);
        return HandleLoadError(a, e);
    }

    SetLayersProperites(s, s.map.MapGrid.DensityMin, LayerHighValue(s, fileName));
    try {
        FindBonds(s);
    } catch (const EldError& e) {
        // At start this ends the program; a later map is shown without bonds.
        s.map.BondList.clear();
        s.map.BondCount = 0;
        HandleLoadError(a, e);
    }
    GenerateFields(a);
    return true;
}

void ResetView(App& a) {
    SceneState& s = a.s;
    ResetViewFields(s);  // aspect, drag and spin flags, scale, translation, identity rotation
    s.program.QuitRequested = kFalse;

    s.switches.ShowAtoms = kTrue;
    s.switches.PickingMode = PickMode::Surface3D;
    s.switches.ShowPickMarker = kFalse;
    s.switches.ShowCell = kFalse;
    s.peaks.PeakCount = 0;  // unsaved peaks of the previous map are dropped
    s.switches.SurfaceStyle = 1;

    try {
        LoadLayerLimitPresets(s);
    } catch (const EldError& e) {
        ReportError(a, e);  // the presets stay empty; the viewer goes on
    }
    InvalidateScene(s);

    // A freshly loaded panel reads the current settings.
    if (!a.controlPanel) a.controlPanel = std::make_unique<frmControlPanel>(s, a.panelHost);
    a.controlPanel->Reload();
    // Keys keep going to the main window once it is up (File > Open).
    ActivateMainWindow(a);
}

void GenerateFields(App& a) {
    if (!a.frmProgressBar) a.frmProgressBar = std::make_unique<ProgressWindow>();
    ProgressWindow& progress = *a.frmProgressBar;
    // No event is handled until the extraction is over (the progress window
    // only redraws itself), so no handler can start a second one meanwhile.
    try {
        ExtractFields(a.s,
                      [&progress](int layer, int percent) { progress.Report(layer, percent); });
    } catch (const EldError& e) {
        progress.Hide();
        InvalidateScene(a.s);
        ReportError(a, e);  // too many triangles or a bad case table end the program
        return;
    }
    progress.Hide();
    InvalidateScene(a.s);
}

void AppPanelHost::GenerateFields() {
    eld::GenerateFields(app);
}
void AppPanelHost::Repaint() {
    Form_Paint(app);
}
void AppPanelHost::SetView(Axis direction) {
    eld::SetView(app, direction);
}

}  // namespace eld
