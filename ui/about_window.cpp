#include "ui/about_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

#include <cstdint>

#include "ui/control_panel_icons.h"

namespace eld {

std::string GetGLString(const unsigned char* ptr) {
    if (!ptr) return "";
    return std::string(reinterpret_cast<const char*>(ptr));
}

std::string AboutDriverText(const std::string& vendor, const std::string& version) {
    return vendor + " " + version;
}

int VisibleTriangleTotal(const SceneState& s) {
    // Layers hold at most 400 000 triangles each, so the sum fits 32 bits.
    std::int32_t total = 0;
    for (int L = 1; L <= kLayers; ++L)
        if (On(s.layers.LayerVisible[L])) total += s.surfaces.TriangleCount[L];
    return total;
}

struct frmAbout::Widgets {
    ~Widgets() { delete win; }
    Fl_Double_Window* win = nullptr;
    Fl_Box* Label3 = nullptr;  // driver
    Fl_Box* Label6 = nullptr;  // display mode
    Fl_Box* Label8 = nullptr;  // triangle count
};

namespace {

void HideOnClose(Fl_Widget* w, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    w->hide();
}

Fl_Box* Line(int y, const char* text, int x = 64, int w = 380, int h = 20) {
    auto* b = new Fl_Box(x, y, w, h, text);
    // Long driver strings wrap onto a second line.
    b->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT | FL_ALIGN_WRAP);
    return b;
}

}  // namespace

frmAbout::frmAbout() = default;
frmAbout::~frmAbout() = default;

void frmAbout::Show(const SceneState& s, const std::string& gl_vendor,
                    const std::string& gl_version) {
    // Contents are fixed at load: an open window is only brought to the front.
    if (IsOpen()) {
        w_->win->show();
        return;
    }
    Destroy();
    w_ = std::make_unique<Widgets>();
    auto* win = w_->win = new Fl_Double_Window(460, 216, "About");
    win->callback(HideOnClose);
    // Picture1: the atoms picture of the control panel, larger.
    new PanelIconBox(10, 10, 44, 44, PanelIcon::Atoms);
    Line(10, kAboutVersion)->labelfont(FL_HELVETICA_BOLD);
    Line(40, "Active OpenGL drivers:");
    w_->Label3 = Line(60, nullptr, 74, 376, 40);
    w_->Label3->copy_label(AboutDriverText(gl_vendor, gl_version).c_str());
    Line(108, "Graphic Display Mode:");
    w_->Label6 = Line(128, nullptr, 74);
    w_->Label6->copy_label(Text(s.program.DisplayMode));
    Line(158, "Actual number of VXN  triangles:");
    w_->Label8 = Line(178, nullptr, 74);
    w_->Label8->copy_label(std::to_string(VisibleTriangleTotal(s)).c_str());
    win->end();
    win->show();
}

void frmAbout::Hide() {
    if (w_) w_->win->hide();
}

void frmAbout::Destroy() {
    Hide();
    w_.reset();
}

bool frmAbout::IsOpen() const {
    return w_ && w_->win->shown() && w_->win->visible();
}

Fl_Window* frmAbout::window() const {
    return w_ ? w_->win : nullptr;
}

}  // namespace eld
