// Offscreen GL context for tests and benchmarks: RGBA, 24-bit depth, 8-bit
// stencil, no X server. Row 0 of the buffer is the bottom of the picture.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace eld::testing {

class OsMesaContext {
  public:
    OsMesaContext(int width, int height) : width_(width), height_(height) {
        ctx_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
        if (!ctx_) throw std::runtime_error("OSMesaCreateContextExt failed");
        buffer_.assign(static_cast<std::size_t>(width) * height * 4, 0);
        if (!OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width, height)) {
            OSMesaDestroyContext(ctx_);
            throw std::runtime_error("OSMesaMakeCurrent failed");
        }
    }
    ~OsMesaContext() {
        // Draw what is still queued while the buffer exists; destroying a
        // context with pending immediate-mode vertices crashes Mesa.
        glFinish();
        OSMesaDestroyContext(ctx_);
    }
    OsMesaContext(const OsMesaContext&) = delete;
    OsMesaContext& operator=(const OsMesaContext&) = delete;

    // Makes this context current again, also after a size change (the buffer
    // is reallocated and cleared).
    void Resize(int width, int height) {
        width_ = width;
        height_ = height;
        buffer_.assign(static_cast<std::size_t>(width) * height * 4, 0);
        OSMesaMakeCurrent(ctx_, buffer_.data(), GL_UNSIGNED_BYTE, width, height);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    // RGBA of pixel (x, y), y counted from the bottom; finishes drawing first.
    const std::uint8_t* Pixel(int x, int y) {
        glFinish();
        return &buffer_[(static_cast<std::size_t>(y) * width_ + x) * 4];
    }
    // Stencil values of the whole window, row 0 at the bottom.
    std::vector<std::uint8_t> Stencil() {
        std::vector<std::uint8_t> s(static_cast<std::size_t>(width_) * height_);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.data());
        return s;
    }

  private:
    OSMesaContext ctx_ = nullptr;
    int width_, height_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace eld::testing
