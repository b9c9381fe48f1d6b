// The picture of the current GL context: read back and saved as a TGA or PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace eld {

// The w x h pixels from the lower-left corner of the current read buffer, rows
// bottom-up, each pixel blue, green, red, rows packed (pack alignment 1, so a
// width of 641 gives exactly 1923 bytes per row). Nothing is redrawn first.
std::vector<std::uint8_t> ReadFramePixelsBgr(int w, int h);

// Reads the whole w x h client area and writes it as a 24-bit TGA picture
// (File > Save image). Throws EldError(Recoverable) naming the file when it
// cannot be written; an existing file is then left as it was.
void SaveTgaImage(const std::string& path, int w, int h);
// The same picture as PNG when the name ends in ".png" (any case), else as
// SaveTgaImage writes it.
void SaveImage(const std::string& path, int w, int h);

}  // namespace eld
