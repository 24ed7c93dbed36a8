#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include <glm/glm.hpp>

namespace scenegen {

// An 8-bit RGBA picture, top row first, rows packed without gaps.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    Image() = default;
    Image(int width, int height) : width(width), height(height), pixels(std::size_t(width) * height * 4, 0) {}

    // Colour components in [0, 1]; values outside are clamped.
    void set(int x, int y, const glm::vec4& rgba);
    glm::vec4 get(int x, int y) const;
};

// Both return false (and print the reason with the file name) when the file cannot be written.
bool writePng(const Image& image, const std::filesystem::path& path);
bool writeJpeg(const Image& image, const std::filesystem::path& path, int quality = 90);

}  // namespace scenegen
