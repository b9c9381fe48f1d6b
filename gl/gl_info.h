// Driver strings for the about window and diagnostics. Needs a current context.
#pragma once

#include <string>

namespace eld {

struct GlInfo {
    std::string vendor, version;  // the renderer string is not asked for
};

GlInfo ReadGlInfo();

}  // namespace eld
