// PNG pictures for eldmap render and the viewer, from the same bottom-up blue-green-red rows
// that the TGA writer takes.
#pragma once

#include <cstdint>
#include <string>

namespace eld {

// 8-bit RGB PNG, top row first as PNG wants it. Written through AtomicFile:
// failures throw EldError naming the file and leave an existing file intact.
void WritePng(const std::string& path, int width, int height, const std::uint8_t* bgr_bottom_up);

// True for a name ending in ".png" in any case: pictures saved under such a
// name are PNG, all others TGA.
bool IsPngName(const std::string& path);

}  // namespace eld
