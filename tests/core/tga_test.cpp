#include "export/tga.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "mapdata/eld_error.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

fs::path TempName(const std::string& name) {
    return fs::temp_directory_path() / ("eld_tga_" + std::to_string(::getpid()) + "_" + name);
}

TEST(TgaHeader, FixedFieldsAndSizeOf640x480) {
    auto h = eld::TgaHeader(640, 480);
    const std::array<std::uint8_t, 18> expect = {0, 0, 2, 0,   0, 0,   0, 24, 0,
                                                 0, 0, 0, 128, 2, 224, 1, 24, 0};
    EXPECT_EQ(h, expect);
}

TEST(TgaHeader, WidthOf256CarriesIntoTheHighByte) {
    auto h = eld::TgaHeader(256, 1);
    EXPECT_EQ(h[12], 0);
    EXPECT_EQ(h[13], 1);
    EXPECT_EQ(h[14], 1);
    EXPECT_EQ(h[15], 0);
    auto big = eld::TgaHeader(65535, 513);
    EXPECT_EQ(big[12], 255);
    EXPECT_EQ(big[13], 255);
    EXPECT_EQ(big[14], 1);
    EXPECT_EQ(big[15], 2);
}

TEST(TgaWrite, RedPixelIsStoredBlueGreenRedAndRowsAreUnpadded) {
    // 641 pixels wide: 1923 bytes per row, not a multiple of four.
    const int w = 641, h = 2;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3, 0);
    rgb[0] = 255;                          // bottom-left pixel pure red
    rgb[(w * 1 + (w - 1)) * 3 + 1] = 200;  // top-right pixel green
    eld::SwapRedBlue(rgb.data(), static_cast<std::size_t>(w) * h);
    fs::path p = TempName("red.tga");
    eld::WriteTga(p.string(), w, h, rgb.data());
    auto bytes = ReadBytes(p);
    fs::remove(p);
    ASSERT_EQ(bytes.size(), 18u + 641u * 2u * 3u);
    EXPECT_EQ(bytes[12], 641 % 256);
    EXPECT_EQ(bytes[13], 641 / 256);
    EXPECT_EQ(bytes[18], 0);
    EXPECT_EQ(bytes[19], 0);
    EXPECT_EQ(bytes[20], 255);
    // The second row starts right after 1923 bytes of the first.
    std::size_t top_right = 18 + 1923 + 640 * 3;
    EXPECT_EQ(bytes[top_right], 0);
    EXPECT_EQ(bytes[top_right + 1], 200);
    EXPECT_EQ(bytes[top_right + 2], 0);
}

TEST(TgaWrite, FailuresNameTheFileAndKeepTheOldOne) {
    std::vector<std::uint8_t> bgr(4 * 4 * 3, 1);
    EXPECT_THROW(eld::WriteTga("/dev/full", 4, 4, bgr.data()), eld::EldError);

    fs::path p = TempName("keep.tga");
    std::ofstream(p) << "old";
    try {
        eld::WriteTga(p.string(), 70000, 1, bgr.data());  // too wide for the header
        FAIL() << "no error";
    } catch (const eld::EldError& e) {
        EXPECT_NE(std::string(e.what()).find(p.string()), std::string::npos);
    }
    EXPECT_EQ(fs::file_size(p), 3u);
    EXPECT_THROW(eld::WriteTga(p.string(), 0, 4, bgr.data()), eld::EldError);
    EXPECT_EQ(fs::file_size(p), 3u);
    fs::remove(p);
}

}  // namespace
