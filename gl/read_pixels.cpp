#include "gl/read_pixels.h"

#include <GL/gl.h>

#include "export/png_file.h"
#include "export/tga.h"

namespace eld {

std::vector<std::uint8_t> ReadFramePixelsBgr(int w, int h) {
    if (w < 1 || h < 1) return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
    // Rows are otherwise padded to four bytes, which a 24-bit picture of odd
    // width would not survive.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL_RGB is what every GL 1.1 driver can deliver; the swap is cheap.
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    SwapRedBlue(pixels.data(), static_cast<std::size_t>(w) * h);
    return pixels;
}

void SaveTgaImage(const std::string& path, int w, int h) {
    std::vector<std::uint8_t> pixels = ReadFramePixelsBgr(w, h);
    WriteTga(path, w, h, pixels.data());
}

void SaveImage(const std::string& path, int w, int h) {
    if (!IsPngName(path)) return SaveTgaImage(path, w, h);
    std::vector<std::uint8_t> pixels = ReadFramePixelsBgr(w, h);
    WritePng(path, w, h, pixels.data());
}

}  // namespace eld
