#include "gl/read_pixels.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "export/png_file.h"
#include "export/tga.h"
#include "gl/osmesa_context.h"

namespace fs = std::filesystem;

namespace {

// Clears the window to one colour and a w x rows strip at the bottom to another.
void PaintBottomStrip(int w, int rows, const float rest[3], const float strip[3]) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(rest[0], rest[1], rest[2], 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, w, rows);
    glClearColor(strip[0], strip[1], strip[2], 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST(ReadPixels, OddWidthRowsArePackedBottomUpInBlueGreenRed) {
    const int w = 641, h = 5;
    eld::OsMesaContext ctx(w, h);
    const float red[3] = {1, 0, 0}, blue[3] = {0, 0, 1};
    PaintBottomStrip(w, 1, blue, red);  // bottom row red, the rest blue
    // A 4-byte pack alignment left behind by other code must not pad the rows.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    auto px = eld::ReadFramePixelsBgr(w, h);
    ASSERT_EQ(px.size(), static_cast<std::size_t>(w) * h * 3);
    // Byte and value: the first row in the buffer is the bottom one, red as 0,
    // 0, 255; the second starts exactly 1923 bytes in and is blue, 255, 0, 0.
    const std::size_t last = px.size() - 1, bytes[][2] = {
        {0, 0}, {1, 0}, {2, 255}, {(w - 1) * 3 + 2, 255}, {1923, 255}, {1924, 0}, {1925, 0},
        {last - 2, 255}, {last, 0}};
    for (auto [i, v] : bytes) EXPECT_EQ(px[i], v) << "byte " << i;
}

TEST(ReadPixels, SaveImageChoosesPngByTheNameOnly) {
    const int w = 9, h = 4;
    eld::OsMesaContext ctx(w, h);
    const float grey[3] = {0.5f, 0.5f, 0.5f}, green[3] = {0, 1, 0};
    PaintBottomStrip(w, 2, grey, green);
    const auto tga = eld::TgaHeader(w, h);
    const std::string png = "\x89PNG\r\n\x1a\n";
    const std::pair<const char*, bool> cases[] = {{"a.png", true},  {"b.PNG", true},
                                                  {"c.Png", true},  {"d.tga", false},
                                                  {"e.png.tga", false}, {"f", false},
                                                  {"gpng", false}};
    for (auto [name, want_png] : cases) {
        fs::path p = fs::temp_directory_path() /
                     ("eld_saveimg_" + std::to_string(::getpid()) + "_" + name);
        eld::SaveImage(p.string(), w, h);
        std::ifstream in(p, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), {}};
        fs::remove(p);
        if (want_png) {
            EXPECT_EQ(bytes.substr(0, 8), png) << name;
        } else {
            ASSERT_EQ(bytes.size(), 18u + w * h * 3) << name;
            EXPECT_TRUE(std::equal(tga.begin(), tga.end(), bytes.begin())) << name;
        }
    }
}

}  // namespace
