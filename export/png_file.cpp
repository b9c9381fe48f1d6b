#include "export/png_file.h"

#include <png.h>

#include <vector>

#include "export/atomic_file.h"
#include "mapdata/command_line.h"
#include "mapdata/eld_error.h"

namespace eld {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), n);
}

void NoFlush(png_structp) {}

}  // namespace

void WritePng(const std::string& path, int width, int height, const std::uint8_t* bgr_bottom_up) {
    if (width < 1 || height < 1) fail("Cannot write \"" + path + "\": empty picture");
    // Encode in memory first, so the file is only touched with a whole picture.
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        fail("Cannot write \"" + path + "\": out of memory for the PNG encoder");
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    // libpng reports errors by longjmp; nothing with a destructor is created
    // between here and the end of the encoding.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fail("Cannot write \"" + path + "\": PNG encoding failed");
    }
    png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* src = bgr_bottom_up + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = src[3 * x + 2];
            row[3 * x + 1] = src[3 * x + 1];
            row[3 * x + 2] = src[3 * x];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    AtomicWrite(path, bytes);
}

bool IsPngName(const std::string& path) {
    return EndsWithNoCase(path, ".png");
}

}  // namespace eld
