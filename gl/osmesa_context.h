// An offscreen GL context without an X server, for eldmap render, the GL tests
// and the benchmarks: OSMesa, RGBA with 24-bit depth and 8-bit stencil,
// drawing into memory. Row 0 of the buffer is the bottom of the picture.
// Built as its own library (eldosmesa): a program that links it must not link
// libGL, or every gl* call goes to a library that has no context.
#pragma once

#include <cstdint>
#include <vector>

struct osmesa_context;

namespace eld {

class OsMesaContext {
  public:
    // Creates the context and makes it current. Throws EldError when OSMesa
    // cannot make one of this size.
    OsMesaContext(int width, int height);
    // Finishes drawing first: destroying a context with pending
    // immediate-mode vertices crashes Mesa.
    ~OsMesaContext();
    OsMesaContext(const OsMesaContext&) = delete;
    OsMesaContext& operator=(const OsMesaContext&) = delete;

    // Makes this context current again, also after a size change (the buffer
    // is reallocated and cleared).
    void Resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // RGBA of pixel (x, y), y counted from the bottom; finishes drawing first.
    const std::uint8_t* Pixel(int x, int y);
    // Stencil values of the whole window, row 0 at the bottom.
    std::vector<std::uint8_t> Stencil();

  private:
    void MakeCurrent();

    osmesa_context* ctx_ = nullptr;
    int width_, height_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace eld
