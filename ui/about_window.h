// frmAbout, the "About" window: program version, the OpenGL driver in use, the
// display mode and the number of triangles in the visible layers. Its contents
// are computed once, when it is shown; an open window does not update.
//
// The main window reads the driver strings while its context is current
// (gl/gl_info.h ReadGlInfo: vendor and version) and passes them in.
#pragma once

#include <memory>
#include <string>

#include "eld_version.h"
#include "mapdata/scene_state.h"

class Fl_Window;

namespace eld {

inline constexpr const char* kAboutVersion = "Version " ELD_VERSION " beta  7";

// A zero-terminated 8-bit string, byte by byte; null gives "".
std::string GetGLString(const unsigned char* ptr);
// "VENDOR VERSION", the driver line.
std::string AboutDriverText(const std::string& vendor, const std::string& version);
// Sum of TriangleCount(L) over the layers L = 1..3 whose LayerVisible is non-zero.
int VisibleTriangleTotal(const SceneState& s);

class frmAbout {
  public:
    frmAbout();
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    // Builds the window from the state and the driver strings and shows it
    // without blocking the main window. An open window is only raised: its
    // contents stay as they were computed when it was opened.
    void Show(const SceneState& s, const std::string& gl_vendor, const std::string& gl_version);
    bool IsOpen() const;
    void Hide();
    void Destroy();
    Fl_Window* window() const;

    struct Widgets;

  private:
    std::unique_ptr<Widgets> w_;
};

}  // namespace eld
