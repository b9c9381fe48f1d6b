// frmProgressBar: the small window with a 0..100 bar shown while the surface
// of one layer is extracted.
#pragma once

#include <string>

class Fl_Window;
class Fl_Progress;

namespace eld {

// "ELD map processing progress. Layer number: 2": the layer number written
// with one leading blank where a sign would stand.
std::string ProgressCaption(int layer);

class ProgressWindow {
  public:
    ProgressWindow() = default;
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Called with every progress report of the extraction: a new layer sets the
    // caption and the bar to 0 and shows the window; a new percentage moves the
    // bar; kLayerDone hides the window. The window is redrawn at once, without
    // handling any event.
    void Report(int layer, int percent);
    void Hide();
    void Destroy();
    bool Visible() const;
    Fl_Window* window() const { return win_; }

  private:
    void Create();
    void Redraw();

    Fl_Window* win_ = nullptr;
    Fl_Progress* bar_ = nullptr;
    std::string caption_;
    int layer_ = -1;
    int percent_ = -1;
};

}  // namespace eld
