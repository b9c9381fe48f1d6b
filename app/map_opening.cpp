// Opening a map (at start and from File > Open), the view reset and the
// extraction of the fields with the progress window.
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>

#include "app/app.h"
#include "app/progress_window.h"
#include "mapdata/atoms.h"
#include "mapdata/command_line.h"
#include "mapdata/open_map.h"
#include "mapdata/presets.h"
#include "mapdata/read_map.h"
#include "surface/layer_properties.h"
#include "surface/marching_cubes.h"
#include "view/view_control.h"

namespace eld {

namespace {

// A file that cannot be used: at start there is nothing to go on with, later
// the current map stays.
// Any failure while a map is read: an EldError as it is; running out of
// memory (a grid too large for this computer) or anything else named with the
// file, so that the current map stays and the user learns why.
EldError AsLoadError(const std::exception& e, const std::string& fileName) {
    if (const auto* eld = dynamic_cast<const EldError*>(&e)) return *eld;
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return EldError(ErrorKind::Recoverable, fileName + ": not enough memory to open this map");
    return EldError(ErrorKind::Recoverable, fileName + ": cannot open the map: " + e.what());
}

bool HandleLoadError(App& a, const EldError& e) {
    ReportError(a, e);  // Fatal and FatalSilent end the program here
    if (a.startingUp) EndProgramNow(1);
    return false;
}

// A map of another program (and its model) goes through the conversion of
// eldmap convert, in memory; a failure leaves the current map whole.
void OpenForeignMap(SceneState& s, const std::string& map, const std::string& model) {
    std::vector<std::string> warnings;
    OpenAnyMap(s, map, model, ConvertOptions{}, &warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "eldview: warning: %s\n", w.c_str());
}

}  // namespace

bool LoadMapFile(App& a, std::string& commandText) {
    SceneState& s = a.s;
    CommandLineChoice choice = ParseCommandText(commandText);
    commandText = choice.FileText;
    if (choice.BadMapRadius) a.dialogs.Message("-MapRadius needs a radius in A of at least 0");
    if (choice.MapRadius > 0) s.switches.MapRadius = choice.MapRadius;
    // A later open has empty text: its mode stays what it was until it is set
    // below, so a frame drawn behind the open dialog uses the running mode.
    if (choice.DisplayMode != StereoMode::NoStereo || s.program.DisplayMode == StereoMode::Nothing)
        s.program.DisplayMode = choice.DisplayMode;

    std::string fileName =
        commandText.empty() ? a.dialogs.OpenFile(kOpenDialogFilter) : commandText;
    // Interlaced stereo unless the plain picture was asked for; the older
    // switches only leave the file name.
    if (choice.NoStereo) a.monoView = true;
    s.program.DisplayMode = a.monoView ? StereoMode::NoStereo : StereoMode::StereoInterlaced;
    SyncViewMenu(a);

    if (fileName.empty()) EndAfterMessages(a, {"No input given !!"});

    const std::string previousName = s.map.MapFileName;
    const std::string previousTitle = a.title;
    s.map.MapFileName = fileName;
    SetMainTitle(a, WindowTitleFor(fileName));

    const ForeignMapText foreign = SplitForeignMapText(fileName);
    if (MapKindOf(fileName) == MapKind::Unknown && foreign.Map.empty())
        EndAfterMessages(a, {"Strange file extension !!!", MapExtension(fileName)});

    try {
        // Reads into a scratch state: a failure leaves the current map whole.
        if (foreign.Map.empty())
            ReadMapFile(s, fileName);
        else
            OpenForeignMap(s, foreign.Map, foreign.Model);
    } catch (const std::exception& e) {
        s.map.MapFileName = previousName;
        SetMainTitle(a, previousTitle);
        return HandleLoadError(a, AsLoadError(e, fileName));
    }

    SetLayersProperites(s, s.map.MapGrid.DensityMin, LayerHighValue(s, fileName));
    try {
        FindBonds(s);
    } catch (const std::exception& e) {
        // At start this ends the program; a later map is shown without bonds.
        s.map.BondList.clear();
        s.map.BondCount = 0;
        HandleLoadError(a, AsLoadError(e, fileName));
    }
    GenerateFields(a);
    return true;
}

bool LoadModelFile(App& a) {
    SceneState& s = a.s;
    const std::string model = a.dialogs.OpenFile(kModelFileFilter);
    if (model.empty()) return false;  // cancelled
    const ForeignMapText foreign = SplitForeignMapText(s.map.MapFileName);
    const std::string map = foreign.Map.empty() ? s.map.MapFileName : foreign.Map;
    const MapGridRecord previousGrid = s.map.MapGrid;
    try {
        if (foreign.Map.empty()) {
            std::vector<std::string> warnings;
            OpenAnyMap(s, map, model, ConvertOptions{}, &warnings);
            for (const std::string& w : warnings)
                std::fprintf(stderr, "eldview: warning: %s\n", w.c_str());
        } else {
            OpenForeignMap(s, map, model);
        }
        FindBonds(s);
    } catch (const EldError& e) {
        ReportError(a, e);  // the current map and atoms stay
        return false;
    }
    s.map.MapFileName = map + " " + model;
    SetMainTitle(a, WindowTitleFor(s.map.MapFileName));
    // A converted map gets a new box around the model: the layers keep their
    // limits, the contour section stays within the grid.
    if (s.map.MapGrid.N(3) != static_cast<int>(previousGrid.GridPoints[2]))
        s.surfaces.ContourLayer = 1;
    GenerateFields(a);
    InvalidateScene(s);
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
    ForgetPeaks(a.unsaved);
    s.switches.SurfaceStyle = 1;

    try {
        LoadLayerLimitPresets(s);
    } catch (const EldError& e) {
        ReportError(a, e);  // the presets stay empty; the viewer goes on
    }
    InvalidateScene(s);

    // A freshly loaded panel reads the current settings.
    if (a.controlPanel) a.controlPanel->Destroy();
    ShowControlPanel(a);
    // Keys keep going to the main window once it is up (File > Open).
    ActivateMainWindow(a);
}

void GenerateFields(App& a, bool quietWhenQuick) {
    if (!a.frmProgressBar) a.frmProgressBar = std::make_unique<ProgressWindow>();
    ProgressWindow& progress = *a.frmProgressBar;
    // No event is handled until the extraction is over (the progress window
    // only redraws itself), so no handler can start a second one meanwhile.
    // With a map radius the stores hold the map about the centre of view.
    CentreRegionOnView(a.s);
    const auto start = std::chrono::steady_clock::now();
    try {
        ExtractFields(a.s, [&](int layer, int percent) {
            // A region that follows the view shows no window for a short extraction.
            if (quietWhenQuick &&
                std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200))
                return;
            progress.Report(layer, percent);
        });
    } catch (const EldError& e) {
        progress.Hide();
        InvalidateScene(a.s);
        ReportError(a, e);  // too many triangles or a bad case table end the program
        return;
    } catch (const std::bad_alloc&) {
        // The layer being extracted keeps no triangles; the viewer goes on.
        progress.Hide();
        InvalidateScene(a.s);
        a.dialogs.Message("Not enough memory to extract the surfaces of " + a.s.map.MapFileName);
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
