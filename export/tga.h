// Uncompressed 24-bit TGA pictures: an 18-byte header, then the rows from the
// bottom of the picture to the top, each pixel as blue, green, red, rows packed
// without fill bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace eld {

// The 18 header bytes: image type 2 (true colour, uncompressed), 24 in the
// colour-map entry size field at offset 7 (readers ignore it without a colour
// map), width and height little-endian at 12..15, 24 bits per pixel, and
// descriptor 0 (origin at the lower left).
std::array<std::uint8_t, 18> TgaHeader(int width, int height);

// Turns red-green-blue triples into blue-green-red in place (and back).
void SwapRedBlue(std::uint8_t* pixels, std::size_t pixel_count);

// Writes header and width*height*3 bytes of bottom-up blue-green-red pixels
// through AtomicFile: a failure throws EldError(Recoverable) naming the file and
// leaves an existing file untouched. Width and height must be 1..65535.
void WriteTga(const std::string& path, int width, int height, const std::uint8_t* bgr_bottom_up);

}  // namespace eld
