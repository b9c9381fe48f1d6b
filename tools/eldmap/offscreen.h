// An offscreen GL context for eldmap render: OSMesa, RGBA with 24-bit depth and
// 8-bit stencil, drawing into memory; no X server needed.
#pragma once

#include <cstdint>
#include <vector>

struct osmesa_context;

namespace eld::eldmap {

class OffscreenContext {
  public:
    // Creates the context and makes it current. Throws EldError when OSMesa
    // cannot make one of this size.
    OffscreenContext(int width, int height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    osmesa_context* ctx_ = nullptr;
    int width_, height_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace eld::eldmap
