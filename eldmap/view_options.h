// The options that choose what a view shows, shared by 'eldmap render' and
// 'eldmap pov':
//   MAP -o OUT [--size WxH] [--view x|y|z] [--style web|triangle]
//   [--no-atoms] [--cell] [--no-contour]
#pragma once

#include <string>

#include "mapdata/scene_state.h"

namespace eld::eldmap {

struct ViewOptions {
    std::string map;
    std::string output;
    int width = 564;  // the viewer's client area at start
    int height = 494;
    std::string view;  // "", "X", "Y" or "Z"
    int style = 1;     // SurfaceStyle: 1 web, 2 triangle
    bool atoms = true;
    bool cell = false;
    bool contour = true;
    bool help = false;
};

// Parses the arguments after the command name. Returns "" on success, else the
// message for the user.
std::string ParseViewOptions(int argc, char** argv, ViewOptions& o);

// The help text of the shared options, one per line.
extern const char kViewOptionsHelp[];

// Applies the switches and the axis view to a loaded scene.
void ApplyViewOptions(SceneState& s, const ViewOptions& o);

}  // namespace eld::eldmap
