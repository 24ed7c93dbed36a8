#include <gtest/gtest.h>
#include <webp/encode.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "Image.h"
#include "ImageFile.h"

namespace {

namespace fs = std::filesystem;

fs::path writeBytes(const std::string& name, const std::string& bytes)
{
    const fs::path path = fs::temp_directory_path() / ("qm-image-" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string littleEndian(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i) & 0xFF);
    return out;
}

// A 3 x 2 picture, black but for the last pixel of the bottom row, which is
// red, as the two formats store it: BMP bottom row first in padded BGR rows,
// TGA (uncompressed, its origin at the top left) in BGRA.
std::string bmpWithRedPixel()
{
    // Rows of 3 pixels padded to 12 bytes: the bottom row's last pixel red, then the top row.
    const std::string pixels = std::string(6, '\0') + std::string("\0\0\xff", 3) + std::string(15, '\0');
    return "BM" + littleEndian(54 + pixels.size(), 4) + littleEndian(0, 4) + littleEndian(54, 4) + littleEndian(40, 4) +
           littleEndian(3, 4) + littleEndian(2, 4) + littleEndian(1, 2) + littleEndian(24, 2) + littleEndian(0, 4) +
           littleEndian(pixels.size(), 4) + littleEndian(2835, 4) + littleEndian(2835, 4) + littleEndian(0, 8) + pixels;
}

// The same as lossless WebP, as glTF's EXT_texture_webp carries it.
std::string webpWithRedPixel()
{
    std::uint8_t rgba[3 * 2 * 4] = {};
    for (int i = 0; i < 6; ++i)
        rgba[4 * i + 3] = 255;
    rgba[4 * 5] = 255;
    std::uint8_t* encoded = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba, 3, 2, 3 * 4, &encoded);
    const std::string bytes(reinterpret_cast<const char*>(encoded), size);
    WebPFree(encoded);
    return bytes;
}

std::string tgaWithRedPixel()
{
    std::string header = std::string("\0\0\x02", 3) + std::string(9, '\0') + littleEndian(3, 2) + littleEndian(2, 2) +
                         std::string("\x20\x28", 2);  // 32 bits a pixel, 8 of alpha, top-left origin
    std::string pixels;
    for (int i = 0; i < 6; ++i)
        pixels += i == 5 ? std::string("\0\0\xff\xff", 4) : std::string("\0\0\0\xff", 4);
    return header + pixels;
}

// The failures' reasons, as the viewer prints them, are checked by
// e2e.bad-input (images, missing) and e2e.open-model.reader (a folder).
TEST(ImageFile, DecodesPngBmpTgaAndWebpIntoRgbaRowsTopFirst)
{
    scenegen::Image picture(3, 2);
    picture.set(2, 1, {1, 0, 0, 1});
    const fs::path png = fs::temp_directory_path() / "qm-image-good.png";
    ASSERT_TRUE(scenegen::writePng(picture, png));
    for (const fs::path& good : {png, writeBytes("good.bmp", bmpWithRedPixel()), writeBytes("good.tga", tgaWithRedPixel()),
                                 writeBytes("good.webp", webpWithRedPixel())}) {
        const qm::ImageFile image = qm::loadImage(good.string());
        ASSERT_TRUE(image) << good << ": " << image.error;
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        const std::uint8_t* last = image.pixels.get() + 4 * 5;
        EXPECT_EQ(std::vector<int>(last, last + 4), (std::vector<int>{255, 0, 0, 255}))
            << good << ": the red pixel, rows top first";
        EXPECT_EQ(image.pixels.get()[0], 0) << good;
        EXPECT_EQ(image.error, "");
    }
}

// Raw texels as a model file embeds them: blue, green, red, alpha.
TEST(ImageFile, TexelsBecomeRgbaUnderTheSizeLimit)
{
    const std::uint8_t texels[] = {10, 20, 30, 40, 50, 60, 70, 80};
    const qm::ImageFile image = qm::decodeTexels(texels, 2, 1);
    ASSERT_TRUE(image);
    EXPECT_EQ(std::vector<int>(image.pixels.get(), image.pixels.get() + 8),
              (std::vector<int>{30, 20, 10, 40, 70, 60, 50, 80}));
    EXPECT_EQ(qm::decodeTexels(texels, 20000, 1).error, "too large");
    EXPECT_EQ(qm::decodeTexels(nullptr, 2, 1).error, "no texels");
}

// Inputs the fuzzer found: each fails with a reason (or decodes) without a sanitizer report.
TEST(ImageFile, FuzzFindingsFailWithAReason)
{
    for (const auto& entry : fs::directory_iterator(QM_REGRESSION_DIRECTORY "/image")) {
        const qm::ImageFile image = qm::loadImage(entry.path().string());
        EXPECT_NE(bool(image), !image.error.empty()) << entry.path();
    }
}

}  // namespace
