// Driver strings for the about window and diagnostics. Needs a current context.
#pragma once

#include <string>

namespace eld {

struct GlInfo {
    std::string vendor, renderer, version;
};

GlInfo ReadGlInfo();

}  // namespace eld
