#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST(ImageFile, DecodesOrSaysWhyNot)
{
    scenegen::Image picture(3, 2);
    picture.set(2, 1, {1, 0, 0, 1});
    const fs::path good = fs::temp_directory_path() / "qm-image-good.png";
    ASSERT_TRUE(scenegen::writePng(picture, good));
    const qm::ImageFile image = qm::loadImage(good.string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels.get()[4 * 5], 255) << "the red pixel, rows top first";
    EXPECT_EQ(qm::lastImageResult(), "Image loaded");

    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } failures[] = {
        {"empty", "", "unknown image type"},
        {"text", "not a picture", "unknown image type"},
        {"huge png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xff\xff\0\0\xff\xff\x08\x06\0\0\0XXXX", 33),
         "too large"},
    };
    for (const auto& f : failures) {
        EXPECT_FALSE(qm::loadImage(writeBytes(f.name, f.bytes).string())) << f.name;
        EXPECT_EQ(qm::lastImageResult(), f.reason) << f.name;
    }
    EXPECT_FALSE(qm::loadImage("/nonexistent/picture.png"));
    EXPECT_EQ(qm::lastImageResult(), "Unable to open file");
}

// Inputs the fuzzer found: each fails with a reason (or decodes) without a sanitizer report.
TEST(ImageFile, FuzzFindingsFailWithAReason)
{
    for (const auto& entry : fs::directory_iterator(QM_REGRESSION_DIRECTORY "/image")) {
        if (!qm::loadImage(entry.path().string())) {
            EXPECT_FALSE(qm::lastImageResult().empty()) << entry.path();
        }
    }
}

}  // namespace
