#include "app/progress_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include "surface/marching_cubes.h"

namespace eld {

namespace {

// A window that can be drawn on demand, outside FLTK's event loop.
class DrawableWindow : public Fl_Window {
  public:
    using Fl_Window::Fl_Window;
    void DrawNow() {
        if (!shown()) return;
        damage(FL_DAMAGE_ALL);
        flush();
        clear_damage();
    }
};

}  // namespace

std::string ProgressCaption(int layer) {
    std::string digits = std::to_string(layer);
    // The sign's place: a blank before a non-negative number.
    std::string sign = layer < 0 ? "" : " ";
    return "ELD map processing progress. Layer number:" + sign + digits;
}

ProgressWindow::~ProgressWindow() {
    Destroy();
}

void ProgressWindow::Create() {
    if (win_) return;
    win_ = new DrawableWindow(420, 50);
    bar_ = new Fl_Progress(10, 12, 400, 26);
    bar_->minimum(0);
    bar_->maximum(100);
    bar_->selection_color(FL_BLUE);
    win_->end();
}

void ProgressWindow::Report(int layer, int percent) {
    if (percent == kLayerDone) {
        Hide();  // after every layer, before the next one or the contours
        return;
    }
    Create();
    bool changed = false;
    if (layer != layer_) {
        layer_ = layer;
        percent_ = 0;
        caption_ = ProgressCaption(layer);
        win_->label(caption_.c_str());
        bar_->value(0);
        if (!win_->shown()) win_->show();
        changed = true;
    }
    if (percent != percent_) {
        percent_ = percent;
        bar_->value(static_cast<float>(percent));
        changed = true;
    }
    if (changed) Redraw();
}

void ProgressWindow::Redraw() {
    // Draws this window alone and sends the drawing to the X server without
    // reading a single event: clicks and keys meant for any window stay queued
    // and are handled, in order, once the extraction is over. (Fl::check would
    // run their handlers in the middle of it.) Until the window manager has
    // mapped the window a drawing is lost; the next report draws it again.
    static_cast<DrawableWindow*>(win_)->DrawNow();
    XFlush(fl_display);
}

void ProgressWindow::Hide() {
    if (win_) win_->hide();
    layer_ = -1;
    percent_ = -1;
}

void ProgressWindow::Destroy() {
    Hide();
    delete win_;
    win_ = nullptr;
    bar_ = nullptr;
}

bool ProgressWindow::Visible() const {
    return win_ && win_->shown();
}

}  // namespace eld
