// Small pictures beside the captionless switches of the control panel, drawn
// with FLTK's own drawing calls (no image files to ship).
#pragma once

#include <FL/Fl_Box.H>

namespace eld {

enum class PanelIcon {
    Cell,          // a wire-frame unit cell
    WebGrid,       // a web of lines over a surface patch
    TriangleGrid,  // a patch cut into triangles
    Atoms,         // two balls and a bond
    ContourMap,    // nested contour lines
};

class PanelIconBox : public Fl_Box {
  public:
    PanelIconBox(int x, int y, int w, int h, PanelIcon icon);
    PanelIcon icon() const { return icon_; }

  protected:
    void draw() override;

  private:
    PanelIcon icon_;
};

}  // namespace eld
