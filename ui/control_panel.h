// frmControlPanel, the "Control Panel" window: layer limits (text boxes and
// sliders), layer and scene switches, surface style, picking mode, the Z layer
// of the contour map, forced axis views and the three limit presets.
//
// The panel owns no state: every control mirrors a value of SceneState. Toggles,
// options, sliders, presets and the Z buttons change the state at once; the
// picture changes only on Apply (re-extract and repaint) or, for the axis
// buttons, at once through ControlPanelHost::SetView.
//
// Lifecycle, as the main window drives it:
//  - "Show Control Panel" and the "h" key: Show() (creates it when needed);
//  - ResetView after each map load: Reload(), which hides and destroys the
//    window and shows a freshly created one filled from the current state
//    (presets must already be loaded into SceneState::layers.LayerLimitPresets);
//  - shutdown: Destroy().
// Create() alone builds and fills the window without showing it.
#pragma once

#include <memory>
#include <string>

#include "mapdata/scene_state.h"

class Fl_Widget;
class Fl_Window;

namespace eld {

// What the panel needs from the main window; the app implements it.
struct ControlPanelHost {
    virtual ~ControlPanelHost() = default;
    // Re-runs the extraction of the visible layers and the contours (the main
    // window's GenerateFields; it marks the scene list invalid).
    virtual void GenerateFields() = 0;
    // Paints the main window now (Form_Paint).
    virtual void Repaint() = 0;
    // Axis view, which redraws the main window itself.
    virtual void SetView(Axis direction) = 0;
};

class frmControlPanel {
  public:
    frmControlPanel(SceneState& state, ControlPanelHost& host);
    ~frmControlPanel();
    frmControlPanel(const frmControlPanel&) = delete;
    frmControlPanel& operator=(const frmControlPanel&) = delete;

    void Create();  // builds the window (if absent) and fills every control
    void Show();    // Create() if needed, then shows it (modeless)
    void Hide();
    void Destroy();  // hides and deletes the window
    void Reload();   // Hide, Destroy, Show: the view reset's re-creation
    bool Visible() const;

    // Fills every control from the state again (the load handler's work).
    void Load();
    // Writes ContourLayer into the Z-layer box only ("+" and "-" keys), so
    // edits not yet applied in the other boxes stay.
    void ShowContourLayer();
    // Writes MapRadius into its box only (View > Map radius).
    void ShowMapRadius();
    // The window, for tests and for placing it; null before Create().
    Fl_Window* window() const;
    // A control by its name ("Check1", "Limit2", "HScroll3", "Option4",
    // "Text6", "Label7", "MapRadius", "Command1", "ForceAxisX", "Preset2", ...); null when
    // there is no such control or no window.
    Fl_Widget* Control(const std::string& name) const;

    struct Widgets;  // the controls, defined in control_panel.cpp

  private:
    SceneState& s_;
    ControlPanelHost& host_;
    std::unique_ptr<Widgets> w_;
};

}  // namespace eld
