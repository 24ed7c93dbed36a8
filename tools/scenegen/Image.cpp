#include "Image.h"

#include <iostream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FOPEN_S
#include <stb/stb_image_write.h>

namespace scenegen {

void Image::set(int x, int y, const glm::vec4& rgba)
{
    const glm::vec4 clamped = glm::clamp(rgba, 0.0f, 1.0f) * 255.0f + 0.5f;
    std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 4];
    for (int c = 0; c < 4; ++c)
        p[c] = static_cast<std::uint8_t>(clamped[c]);
}

glm::vec4 Image::get(int x, int y) const
{
    const std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 4];
    return glm::vec4(p[0], p[1], p[2], p[3]) / 255.0f;
}

namespace {

bool reportIfFailed(int ok, const std::filesystem::path& path)
{
    if (!ok)
        std::cerr << "Cannot write image " << path.string() << std::endl;
    return ok != 0;
}

}  // namespace

bool writePng(const Image& image, const std::filesystem::path& path)
{
    return reportIfFailed(
        stbi_write_png(path.c_str(), image.width, image.height, 4, image.pixels.data(), image.width * 4), path);
}

bool writeJpeg(const Image& image, const std::filesystem::path& path, int quality)
{
    return reportIfFailed(
        stbi_write_jpg(path.c_str(), image.width, image.height, 4, image.pixels.data(), quality), path);
}

}  // namespace scenegen
