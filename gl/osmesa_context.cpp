#include "gl/osmesa_context.h"

#include <GL/osmesa.h>

#include <string>

#include "mapdata/eld_error.h"

namespace eld {

OsMesaContext::OsMesaContext(int width, int height) : width_(width), height_(height) {
    ctx_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
    if (!ctx_) fail("Cannot create an offscreen OpenGL context (OSMesa)");
    try {
        MakeCurrent();
    } catch (...) {
        OSMesaDestroyContext(ctx_);
        throw;
    }
}

OsMesaContext::~OsMesaContext() {
    glFinish();
    OSMesaDestroyContext(ctx_);
}

void OsMesaContext::MakeCurrent() {
    buffer_.assign(static_cast<std::size_t>(width_) * height_ * 4, 0);
    if (!OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width_, height_))
        fail("Cannot draw offscreen at " + std::to_string(width_) + " x " +
             std::to_string(height_) + " pixels");
}

void OsMesaContext::Resize(int width, int height) {
    width_ = width;
    height_ = height;
    MakeCurrent();
}

const std::uint8_t* OsMesaContext::Pixel(int x, int y) {
    glFinish();
    return &buffer_[(static_cast<std::size_t>(y) * width_ + x) * 4];
}

std::vector<std::uint8_t> OsMesaContext::Stencil() {
    std::vector<std::uint8_t> s(static_cast<std::size_t>(width_) * height_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.data());
    return s;
}

}  // namespace eld
