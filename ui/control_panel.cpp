#include "ui/control_panel.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scrollbar.H>

#include <array>
#include <map>

#include "ui/control_panel_icons.h"
#include "ui/control_panel_logic.h"

namespace eld {

struct frmControlPanel::Widgets {
    Widgets(SceneState& state, ControlPanelHost& h) : s(state), host(h) {}
    ~Widgets() { delete win; }

    SceneState& s;
    ControlPanelHost& host;

    Fl_Double_Window* win = nullptr;
    Fl_Output* Text1 = nullptr;
    Fl_Output* Text2 = nullptr;
    std::array<Fl_Check_Button*, 7> Check{};   // 1..6
    std::array<Fl_Input*, 4> Limit{};          // 1..3
    std::array<Fl_Scrollbar*, 4> HScroll{};    // 1..3
    std::array<Fl_Box*, 4> Sigma{};            // 1..3: the limit in σ
    std::array<Fl_Round_Button*, 5> Option{};  // 1..4
    Fl_Input* Text6 = nullptr;
    Fl_Box* Label7 = nullptr;
    Fl_Input* MapRadius = nullptr;
    Fl_Button* Command1 = nullptr;
    Fl_Button* Command2 = nullptr;
    Fl_Button* Command3 = nullptr;
    std::array<Fl_Button*, 3> ForceAxis{};  // X, Y, Z
    std::array<Fl_Button*, 4> Preset{};     // 1..3
    // FLTK keeps pointers to tooltip texts: the preset descriptions live here.
    std::array<std::string, 4> presetTips;
    std::map<std::string, Fl_Widget*> byName;

    void Build();
    void Load();
    void UpdateSlidersFromLimits();
    void SyncControlsWithState();
    void ShowLimit(int i) {
        Limit[i]->value(FloatText(s.layers.LayerLimit[i]).c_str());
        ShowSigma(i, s.layers.LayerLimit[i]);
    }
    void ShowSigma(int i, double limit) {
        Sigma[i]->copy_label(SigmaText(s.map.MapGrid, limit).c_str());
    }
    void ShowContourLayer() { Text6->value(std::to_string(s.surfaces.ContourLayer).c_str()); }
    void ShowMapRadius() { MapRadius->value(FloatText(s.switches.MapRadius).c_str()); }

    template <class W>
    W* Add(const char* name, W* w) {
        byName[name] = w;
        w->user_data(this);
        // A compact panel: 12-point captions and texts.
        w->labelsize(12);
        if (auto* in = dynamic_cast<Fl_Input_*>(static_cast<Fl_Widget*>(w))) in->textsize(12);
        return w;
    }
    Fl_Group* Frame(int x, int y, int w, int h, const char* caption);

    // Control behaviour.
    void OnCheck(Fl_Widget* w);
    void OnOption(Fl_Widget* w);
    void OnSlider(Fl_Widget* w);
    void OnLimitTyped(Fl_Widget* w);
    void OnZStep(int delta);
    void OnForceAxis(Fl_Widget* w);
    void OnPreset(Fl_Widget* w);
    void OnApply();
};

namespace {

using W = frmControlPanel::Widgets;

W& Of(void* d) {
    return *static_cast<W*>(d);
}

// Closing the panel hides it; the next Show() fills it afresh. Escape, which
// FLTK's default callback takes as "close", is ignored.
void WindowCallback(Fl_Widget* w, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    w->hide();
}

}  // namespace

Fl_Group* W::Frame(int x, int y, int w, int h, const char* caption) {
    auto* g = new Fl_Group(x, y, w, h, caption);
    g->box(FL_ENGRAVED_FRAME);
    g->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    g->labelsize(12);
    g->labelfont(FL_HELVETICA_BOLD);
    return g;
}

void W::Build() {
    win = new Fl_Double_Window(450, 470, "Control Panel");
    win->user_data(this);
    win->callback(WindowCallback);

    // ---- limits ----
    Fl_Group* g = Frame(8, 8, 434, 170, "Map layers parametres");
    // The density range boxes hold the longest float text, "-3.4028235e+38".
    Add("Label10", new Fl_Box(14, 28, 90, 22, "ELD Minimum"))
        ->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    Text1 = Add("Text1", new Fl_Output(104, 28, 120, 22));
    Add("Label9", new Fl_Box(228, 28, 90, 22, "ELD Maximum"))
        ->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    Text2 = Add("Text2", new Fl_Output(318, 28, 120, 22));
    Add("Label8", new Fl_Box(14, 54, 88, 20, "Layer Visible"))
        ->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    Add("Label5", new Fl_Box(102, 54, 100, 20, "Layer Value"))
        ->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    static const char* check_caption[4] = {nullptr, "Layer1", "Layer 2", "Layer 3"};
    static const char* check_tip[4] = {nullptr, "enable/disable 3D contour 1",
                                       "enable/disable 3D contour 2",
                                       "enable/disable 3D contour 3"};
    static const char* limit_tip[4] = {nullptr, "map limit 1", "map limit 2", "map limit 3"};
    static const char* names[][4] = {{"", "Check1", "Check2", "Check3"},
                                     {"", "Limit1", "Limit2", "Limit3"},
                                     {"", "HScroll1", "HScroll2", "HScroll3"},
                                     {"", "Sigma1", "Sigma2", "Sigma3"}};
    for (int i = 1; i <= 3; ++i) {
        const int y = 76 + (i - 1) * 32;
        Check[i] = Add(names[0][i], new Fl_Check_Button(14, y, 86, 24, check_caption[i]));
        Check[i]->tooltip(check_tip[i]);
        Check[i]->callback([](Fl_Widget* w, void* d) { Of(d).OnCheck(w); });
        Limit[i] = Add(names[1][i], new Fl_Input(102, y, 96, 24));
        Limit[i]->tooltip(limit_tip[i]);
        // Typing shows the typed level in σ at once; Apply stores it.
        Limit[i]->when(FL_WHEN_CHANGED);
        Limit[i]->callback([](Fl_Widget* w, void* d) { Of(d).OnLimitTyped(w); });
        Sigma[i] = Add(names[3][i], new Fl_Box(202, y, 56, 24));
        Sigma[i]->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
        Sigma[i]->labelsize(11);
        Sigma[i]->tooltip("the limit in \u03c3 (mean + N \u00b7 rms of the map); a limit can be "
                          "typed so, e.g. 3s or 3\u03c3");
        HScroll[i] = Add(names[2][i], new Fl_Scrollbar(262, y + 2, 174, 20));
        HScroll[i]->type(FL_HORIZONTAL);
        HScroll[i]->bounds(kSliderMin, kSliderMax);
        HScroll[i]->step(1);
        HScroll[i]->linesize(32);
        HScroll[i]->slider_size(0.08);
        HScroll[i]->callback([](Fl_Widget* w, void* d) { Of(d).OnSlider(w); });
    }
    g->end();

    // ---- switches with pictures ----
    g = Frame(8, 184, 434, 66, "Object style and visibility");
    struct Switchy {
        const char* name;
        const char* icon_name;
        PanelIcon icon;
        const char* tip;
        bool option;
    };
    static const Switchy switches[5] = {
        {"Check6", "Picture1", PanelIcon::Cell, "show lattice cell", false},
        {"Option1", "Image1", PanelIcon::WebGrid, "web type 3D grid", true},
        {"Option2", "Image2", PanelIcon::TriangleGrid, "triangle 3D grid", true},
        {"Check4", "Image3", PanelIcon::Atoms, "enable/disable atoms visibility", false},
        {"Check5", "Image4", PanelIcon::ContourMap, "enable/disable contour map", false},
    };
    for (int k = 0; k < 5; ++k) {
        const Switchy& sw = switches[k];
        const int x = 14 + k * 68;
        Fl_Button* b;
        if (sw.option) {
            auto* o = new Fl_Round_Button(x, 214, 20, 20);
            o->type(FL_RADIO_BUTTON);
            o->callback([](Fl_Widget* w, void* d) { Of(d).OnOption(w); });
            Option[sw.name[6] - '0'] = o;
            b = o;
        } else {
            auto* c = new Fl_Check_Button(x, 214, 20, 20);
            c->callback([](Fl_Widget* w, void* d) { Of(d).OnCheck(w); });
            Check[sw.name[5] - '0'] = c;
            b = c;
        }
        Add(sw.name, b)->tooltip(sw.tip);
        Add(sw.icon_name, new PanelIconBox(x + 21, 207, 34, 34, sw.icon))->tooltip(sw.tip);
    }
    g->end();

    // ---- picking mode ----
    g = Frame(8, 256, 434, 50, "Picking");
    Option[3] = Add("Option3", new Fl_Round_Button(14, 278, 60, 22, "3D"));
    Option[3]->tooltip("Set 3D picking mode (exactly one layer must be shown)");
    Option[4] = Add("Option4", new Fl_Round_Button(84, 278, 60, 22, "2D"));
    Option[4]->tooltip("Set 2D picking mode");
    for (int i = 3; i <= 4; ++i) {
        Option[i]->type(FL_RADIO_BUTTON);
        Option[i]->callback([](Fl_Widget* w, void* d) { Of(d).OnOption(w); });
    }
    g->end();

    // ---- Z layer of the contour map ----
    g = Frame(8, 312, 434, 52, "2 D map Z layer number");
    Text6 = Add("Text6", new Fl_Input(14, 334, 60, 24));
    Command2 = Add("Command2", new Fl_Button(80, 334, 28, 24, "-"));
    Command2->tooltip("-1 contour hight");
    Command2->callback([](Fl_Widget*, void* d) { Of(d).OnZStep(-1); });
    Command3 = Add("Command3", new Fl_Button(112, 334, 28, 24, "+"));
    Command3->tooltip("+1 contour hight");
    Command3->callback([](Fl_Widget*, void* d) { Of(d).OnZStep(+1); });
    Label7 = Add("Label7", new Fl_Box(146, 334, 84, 24));
    Label7->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    MapRadius = Add("MapRadius", new Fl_Input(296, 334, 50, 24, "Radius A"));
    MapRadius->tooltip("map radius about the centre of view, 0 = whole map");
    g->end();

    // ---- axis views and presets, side by side ----
    g = Frame(8, 370, 215, 56, "Force axis view");
    static const char* axis_name[3] = {"ForceAxisX", "ForceAxesY", "ForceAxisZ"};
    static const char* axis_caption[3] = {"X", "Y", "Z"};
    static const char* axis_tip[3] = {"Force viewing along X axes", "Force viewing along Y axes",
                                      "Force viewing along Z axes"};
    for (int k = 0; k < 3; ++k) {
        ForceAxis[k] = Add(axis_name[k], new Fl_Button(18 + k * 52, 394, 44, 24, axis_caption[k]));
        ForceAxis[k]->tooltip(axis_tip[k]);
        ForceAxis[k]->callback([](Fl_Widget* w, void* d) { Of(d).OnForceAxis(w); });
    }
    g->end();
    g = Frame(227, 370, 215, 56, "User layer setting");
    static const char* preset_name[4] = {nullptr, "Preset1", "Preset2", "Preset3"};
    static const char* preset_caption[4] = {nullptr, "1", "2", "3"};
    for (int i = 1; i <= 3; ++i) {
        Preset[i] =
            Add(preset_name[i], new Fl_Button(237 + (i - 1) * 52, 394, 44, 24, preset_caption[i]));
        Preset[i]->callback([](Fl_Widget* w, void* d) { Of(d).OnPreset(w); });
    }
    g->end();

    Command1 = Add("Command1", new Fl_Button(175, 434, 100, 28, "Apply"));
    Command1->tooltip("apply changes and redraw all");
    Command1->callback([](Fl_Widget*, void* d) { Of(d).OnApply(); });

    win->end();
}

void W::Load() {
    Text1->value(FloatText(s.map.MapGrid.DensityMin).c_str());
    Text2->value(FloatText(s.map.MapGrid.DensityMax).c_str());
    for (int i = 1; i <= 3; ++i) ShowLimit(i);
    for (int i = 1; i <= 3; ++i) {
        presetTips[i] = s.layers.LayerLimitPresets[i - 1].Description;
        Preset[i]->tooltip(presetTips[i].c_str());
    }
    ShowContourLayer();
    ShowMapRadius();
    Label7->copy_label(ZRangeText(GridPointsZ(s.map.MapGrid)).c_str());
    // The cell box is left alone: it starts cleared when the window is built
    // and then only shows the user's own clicks.
    UpdateSlidersFromLimits();
    SyncControlsWithState();
}

void W::UpdateSlidersFromLimits() {
    // Setting a position does not run the slider's callback.
    for (int i = 1; i <= 3; ++i)
        HScroll[i]->value(SliderPositionFromLimit(s.map.MapGrid, s.layers.LayerLimit[i]));
}

void W::SyncControlsWithState() {
    for (int i = 1; i <= 3; ++i) Check[i]->value(On(s.layers.LayerVisible[i]) ? 1 : 0);
    Check[4]->value(s.switches.ShowAtoms == kTrue ? 1 : 0);
    Check[5]->value(s.switches.ShowContourMap == kTrue ? 1 : 0);
    const bool web = s.switches.SurfaceStyle == 1;
    Option[1]->value(web ? 1 : 0);
    Option[2]->value(web ? 0 : 1);
    const bool three_d = s.switches.PickingMode == PickMode::Surface3D;
    Option[3]->value(three_d ? 1 : 0);
    Option[4]->value(three_d ? 0 : 1);
}

void W::OnCheck(Fl_Widget* w) {
    Switch* target = nullptr;
    for (int i = 1; i <= 3; ++i)
        if (w == Check[i]) target = &s.layers.LayerVisible[i];
    if (w == Check[4]) target = &s.switches.ShowAtoms;
    if (w == Check[5]) target = &s.switches.ShowContourMap;
    if (w == Check[6]) target = &s.switches.ShowCell;
    if (target) *target = ToggleSwitch(*target);
}

void W::OnOption(Fl_Widget* w) {
    if (w == Option[1]) s.switches.SurfaceStyle = 1;
    if (w == Option[2]) s.switches.SurfaceStyle = 2;
    if (w == Option[3]) s.switches.PickingMode = PickMode::Surface3D;
    if (w == Option[4]) s.switches.PickingMode = PickMode::Section2D;
}

void W::OnSlider(Fl_Widget* w) {
    for (int i = 1; i <= 3; ++i) {
        if (w != HScroll[i]) continue;
        s.layers.LayerLimit[i] = LimitFromSliderPosition(s.map.MapGrid, HScroll[i]->value());
        ShowLimit(i);
    }
}

void W::OnLimitTyped(Fl_Widget* w) {
    for (int i = 1; i <= 3; ++i)
        if (w == Limit[i]) ShowSigma(i, LimitFromText(s.map.MapGrid, Limit[i]->value()));
}

void W::OnZStep(int delta) {
    s.surfaces.ContourLayer =
        ContourLayerStep(s.surfaces.ContourLayer, delta, GridPointsZ(s.map.MapGrid));
    ShowContourLayer();
}

void W::OnForceAxis(Fl_Widget* w) {
    static constexpr Axis direction[3] = {Axis::X, Axis::Y, Axis::Z};
    for (int k = 0; k < 3; ++k)
        if (w == ForceAxis[k]) host.SetView(direction[k]);
}

void W::OnPreset(Fl_Widget* w) {
    for (int i = 1; i <= 3; ++i) {
        if (w != Preset[i]) continue;
        const LayerLimitPreset& p = s.layers.LayerLimitPresets[i - 1];
        ApplyLimits(s, p.Limit[0], p.Limit[1], p.Limit[2]);
        for (int k = 1; k <= 3; ++k) ShowLimit(k);
        UpdateSlidersFromLimits();
    }
}

void W::OnApply() {
    ReadPanelControls(s, {Limit[1]->value(), Limit[2]->value(), Limit[3]->value()}, Text6->value());
    s.switches.MapRadius = MapRadiusFromText(MapRadius->value());
    for (int i = 1; i <= 3; ++i) ShowLimit(i);
    UpdateSlidersFromLimits();
    ShowContourLayer();
    ShowMapRadius();
    InvalidateScene(s);
    host.GenerateFields();
    host.Repaint();
}

// ---- the window's life ----

frmControlPanel::frmControlPanel(SceneState& state, ControlPanelHost& host)
    : s_(state), host_(host) {}

frmControlPanel::~frmControlPanel() = default;

void frmControlPanel::Create() {
    if (!w_) {
        w_ = std::make_unique<Widgets>(s_, host_);
        w_->Build();
    }
    w_->Load();
}

void frmControlPanel::Show() {
    // A panel that was closed is filled again from the state, as a fresh one.
    if (!w_ || !w_->win->shown() || !w_->win->visible()) Create();
    w_->win->show();
}

void frmControlPanel::Hide() {
    if (w_) w_->win->hide();
}

void frmControlPanel::Destroy() {
    Hide();
    w_.reset();
}

void frmControlPanel::Reload() {
    Destroy();
    Show();
}

bool frmControlPanel::Visible() const {
    return w_ && w_->win->visible();
}

void frmControlPanel::ShowContourLayer() {
    if (w_ && w_->Text6) w_->ShowContourLayer();
}

void frmControlPanel::ShowMapRadius() {
    if (w_ && w_->MapRadius) w_->ShowMapRadius();
}

void frmControlPanel::Load() {
    if (w_) w_->Load();
}

Fl_Window* frmControlPanel::window() const {
    return w_ ? w_->win : nullptr;
}

Fl_Widget* frmControlPanel::Control(const std::string& name) const {
    if (!w_) return nullptr;
    auto it = w_->byName.find(name);
    return it == w_->byName.end() ? nullptr : it->second;
}

}  // namespace eld
