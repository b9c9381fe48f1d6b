// The menu bar of the main window and the right-click picking glue.
#include <FL/Fl_Menu_Bar.H>

#include <array>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/peak_saving.h"
#include "export/povray.h"
#include "gl/gl_info.h"
#include "gl/read_pixels.h"
#include "mapdata/peak_finding.h"
#include "picking/picking.h"
#include "ui/about_window.h"
#include "ui/help_window.h"

namespace eld {

namespace {

inline constexpr const char* kPovrayDefaultName = "VXN_pov.pov";
inline constexpr const char* kTgaDefaultName = "ELD_picture.tga";

inline constexpr const char* kStereoItem = "&View/&Interlaced stereo";

using Handler = void (*)(App&);

// Menu callbacks carry the App; each item has its own handler.
template <Handler H>
void MenuCallback(Fl_Widget*, void* data) {
    App& a = *static_cast<App*>(data);
    if (a.s.program.QuitRequested) return;
    H(a);
}

// View > Map radius: a few radii; the control panel takes any other.
template <int R>
void MapRadiusItem(App& a) {
    SetMapRadius(a, static_cast<float>(R));
}

}  // namespace

void BuildMenu(App& a) {
    Fl_Menu_Bar& m = *a.menu;
    m.add("&File/&Open ELD map", FL_CTRL + 'o', MenuCallback<mnuFile_Open_ELD_map_Click>, &a);
    m.add("&File/Open &model...", 0, MenuCallback<mnuFile_Open_model_Click>, &a);
    m.add("&File/&Save peak list", FL_CTRL + 's', MenuCallback<mnuFile_Save_peak_list_Click>, &a);
    m.add("&File/Save &POVRAY file", 0, MenuCallback<mnuSavePovrayFile_Click>, &a);
    m.add("&File/Save &image", 0, MenuCallback<mnuFile_Save_image_Click>, &a);
    m.add("&File/&Exit", FL_CTRL + 'q', MenuCallback<mnuFileExit_Click>, &a);
    m.add("&Edit/&Clear Peaks", 0, MenuCallback<mnuEditClearPeaks_Click>, &a);
    m.add("&Edit/&Find Peaks", 0, MenuCallback<mnuEditFindPeaks_Click>, &a);
    m.add("&View/&Show Control Panel", 0, MenuCallback<mnuViewShow_Control_Panel_Click>, &a);
    m.add("&View/&Background Color", 0, MenuCallback<mnuViewBackgroundColor_Click>, &a);
    m.add(kStereoItem, 0, MenuCallback<mnuViewStereo_Click>, &a, FL_MENU_TOGGLE | FL_MENU_VALUE);
    m.add("&View/Centre on last &pick", 0, MenuCallback<CentreOnLastPick>, &a);
    m.add("&View/Map &radius/&Whole map", 0, MenuCallback<MapRadiusItem<0>>, &a);
    m.add("&View/Map &radius/&8 A", 0, MenuCallback<MapRadiusItem<8>>, &a);
    m.add("&View/Map &radius/1&2 A", 0, MenuCallback<MapRadiusItem<12>>, &a);
    m.add("&View/Map &radius/1&6 A", 0, MenuCallback<MapRadiusItem<16>>, &a);
    m.add("&View/Map &radius/2&4 A", 0, MenuCallback<MapRadiusItem<24>>, &a);
    m.add("&Help/&Help", 0, MenuCallback<mnuHelpHelp_Click>, &a);
    m.add("&Help/&About", 0, MenuCallback<mnuHelpAbout_Click>, &a);
}

void mnuFile_Open_ELD_map_Click(App& a) {
    std::string text;  // empty: the open dialog asks for the file
    if (!LoadMapFile(a, text)) {
        Form_Paint(a);  // the file could not be read; the current map stays
        return;
    }
    ResetView(a);
    Form_Resize(a);  // aspect factors and stencil mask again, then a frame
}

void mnuFile_Open_model_Click(App& a) {
    LoadModelFile(a);
    Form_Paint(a);
}

void mnuFile_Save_peak_list_Click(App& a) {
    if (a.s.peaks.PeakCount > 0) {
        if (SavePeakList(a.s, a.dialogs)) NotePeaksSaved(a.unsaved, a.s);
    } else {
        a.dialogs.Message("You do not have any peaks");
    }
}

void mnuSavePovrayFile_Click(App& a) {
    const std::string name = a.dialogs.SaveFile(kPovrayDefaultName, kPovrayFilter);
    if (name.empty()) return;  // cancelled
    try {
        WritePovrayScene(a.s, name);
    } catch (const EldError& e) {
        ReportError(a, e);
    }
}

void mnuFile_Save_image_Click(App& a) {
    const int w = ViewWidth(a), h = ViewHeight(a);
    const std::string name = a.dialogs.SaveFile(kTgaDefaultName, kImageFilter);
    if (name.empty()) return;  // cancelled
    // The dialog has covered the window: draw the frame again into the back
    // buffer and read it from there.
    if (!RenderForReadBack(a)) return;
    try {
        SaveImage(name, w, h);
    } catch (const EldError& e) {
        ReportError(a, e);
    }
}

void mnuFileExit_Click(App& a) {
    Form_Unload(a);
}

void mnuEditClearPeaks_Click(App& a) {
    a.s.peaks.PeakCount = 0;  // the rows stay, only forgotten
    ForgetPeaks(a.unsaved);
    InvalidateScene(a.s);
    Form_Paint(a);
}

void mnuEditFindPeaks_Click(App& a) {
    const FoundPeaksReport r = AddFoundPeaks(a.s);
    InvalidateScene(a.s);
    Form_Paint(a);  // the new peaks' markers, before the count is read
    a.dialogs.Message(FoundPeaksText(a.s, r));
}

void ShowControlPanel(App& a) {
    if (!a.controlPanel) a.controlPanel = std::make_unique<frmControlPanel>(a.s, a.panelHost);
    // A panel that opens (not one already up) goes beside the main window.
    if (!a.controlPanel->Visible()) {
        a.controlPanel->Create();
        PlaceBesideMainWindow(a, *a.controlPanel->window());
    }
    a.controlPanel->Show();
}

void mnuViewShow_Control_Panel_Click(App& a) {
    ShowControlPanel(a);
}

void mnuViewBackgroundColor_Click(App& a) {
    SceneState& s = a.s;
    // The dialog starts from the current colour.
    int r = static_cast<int>(std::lround(s.view.ClearColour[0] * 255.0f));
    int g = static_cast<int>(std::lround(s.view.ClearColour[1] * 255.0f));
    int b = static_cast<int>(std::lround(s.view.ClearColour[2] * 255.0f));
    if (!a.dialogs.ChooseColour(r, g, b)) return;  // cancelled
    const long c = r + 256L * g + 65536L * b;      // red in the lowest byte
    s.view.ClearColour[0] = static_cast<float>(c % 256) / 255.0f;
    s.view.ClearColour[1] = static_cast<float>((c / 256) % 256) / 255.0f;
    s.view.ClearColour[2] = static_cast<float>((c / 65536) % 256) / 255.0f;
    s.view.ClearColour[3] = 0.0f;
    InvalidateScene(s);
    Form_Paint(a);
}

void mnuViewStereo_Click(App& a) {
    a.monoView = !a.monoView;
    a.s.program.DisplayMode = a.monoView ? StereoMode::NoStereo : StereoMode::StereoInterlaced;
    SyncViewMenu(a);
    // Interlaced stereo needs the stencil mask; line widths differ by mode and
    // are recorded in the scene list.
    ChoosePixelFormat(a);
    InvalidateScene(a.s);
    Form_Resize(a);
    // An open About window would show the old mode: it is opened afresh.
    if (a.about && a.about->IsOpen()) {
        a.about->Destroy();
        mnuHelpAbout_Click(a);
    }
}

void SyncViewMenu(App& a) {
    auto* item = const_cast<Fl_Menu_Item*>(a.menu->find_item(kStereoItem));
    if (!item) return;
    if (a.s.program.DisplayMode == StereoMode::StereoInterlaced)
        item->set();
    else
        item->clear();
}

void mnuHelpHelp_Click(App& a) {
    if (!a.help) a.help = std::make_unique<frmHelp>();
    a.help->Show(a.s.program.DataFolder);
}

void mnuHelpAbout_Click(App& a) {
    if (!a.about) a.about = std::make_unique<frmAbout>();
    GlInfo info;
    // The main window's driver, asked only when the window is loaded.
    if (!a.about->IsOpen() && MakeViewCurrent(a)) info = ReadGlInfo();
    a.about->Show(a.s, info.vendor, info.version);
}

void PickPoint(App& a, float x, float y) {
    SceneState& s = a.s;
    if (!MakeViewCurrent(a)) return;
    // The picker by PickingMode; the surface picker shows its own message when not exactly
    // one layer is visible.
    const PickResult pick = PickByMode(s, a.dialogs, x, y);
    if (!pick) {
        // A click that finds nothing must not pass unnoticed.
        if (!pick.nothing.empty()) std::fprintf(stderr, "eldview: %s\n", pick.nothing.c_str());
        return;
    }
    // Where the marker will be on the screen, for the question to keep clear of.
    const std::array<float, 2> at = SceneToWindow(s, s.peaks.PickedPoint);

    InvalidateScene(s);
    s.switches.ShowPickMarker = kTrue;
    Form_Paint(a);  // the white marker at the point
    a.dialogs.Beep();
    Form_Paint(a);
    ConfirmPeak(a, s.peaks.PickedPoint, ViewToScreen(a, at[0], at[1]));
    s.switches.ShowPickMarker = kFalse;
    InvalidateScene(s);
    Form_Paint(a);
}

void ConfirmPeak(App& a, const float point[3], ScreenPoint marker) {
    SceneState& s = a.s;
    if (!a.dialogs.AskYesNoAwayFrom("Add this peak to pek list?", marker)) return;
    s.peaks.PeakCount += 1;
    if (s.peaks.PeakCount > kMaxPeaks) EndAfterMessages(a, {"To many new peaks"});
    for (int i = 0; i < 3; ++i) s.peaks.PeakList[s.peaks.PeakCount - 1][i] = point[i];
    NotePeakAdded(a.unsaved, s);
}

}  // namespace eld
