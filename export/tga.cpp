#include "export/tga.h"

#include <utility>

#include "export/atomic_file.h"
#include "mapdata/eld_error.h"

namespace eld {

std::array<std::uint8_t, 18> TgaHeader(int width, int height) {
    std::array<std::uint8_t, 18> h{};
    h[2] = 2;
    h[7] = 24;
    h[12] = static_cast<std::uint8_t>(width % 256);
    h[13] = static_cast<std::uint8_t>(width / 256);
    h[14] = static_cast<std::uint8_t>(height % 256);
    h[15] = static_cast<std::uint8_t>(height / 256);
    h[16] = 24;
    return h;
}

void SwapRedBlue(std::uint8_t* pixels, std::size_t pixel_count) {
    for (std::size_t i = 0; i < pixel_count; ++i) std::swap(pixels[3 * i], pixels[3 * i + 2]);
}

void WriteTga(const std::string& path, int width, int height, const std::uint8_t* bgr_bottom_up) {
    // The header holds each size in two bytes.
    if (width < 1 || width > 65535 || height < 1 || height > 65535)
        fail("Cannot write \"" + path + "\": a picture of " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels does not fit a TGA file");
    auto header = TgaHeader(width, height);
    AtomicFile f(path);
    f.write(header.data(), header.size());
    f.write(bgr_bottom_up, static_cast<std::size_t>(width) * height * 3);
    f.commit();
}

}  // namespace eld
