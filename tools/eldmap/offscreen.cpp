#include "tools/eldmap/offscreen.h"

#include <GL/osmesa.h>

#include <string>

#include "mapdata/eld_error.h"

namespace eld::eldmap {

OffscreenContext::OffscreenContext(int width, int height) : width_(width), height_(height) {
    ctx_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
    if (!ctx_) fail("Cannot create an offscreen OpenGL context (OSMesa)");
    buffer_.assign(static_cast<std::size_t>(width) * height * 4, 0);
    if (!OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width, height)) {
        OSMesaDestroyContext(ctx_);
        fail("Cannot draw offscreen at " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels");
    }
}

OffscreenContext::~OffscreenContext() {
    OSMesaDestroyContext(ctx_);
}

}  // namespace eld::eldmap
