#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qm {

// A PNG, JPEG, BMP or TGA picture decoded to 8-bit RGBA, top row first; the pixels
// are freed with the object. Empty on failure, with the reason: "Unable to
// open file" when the file cannot be opened, the decoder's reason otherwise
// ("undecodable image" when it gives none).
struct ImageFile {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint8_t, void (*)(void*)> pixels{nullptr, [](void*) {}};
    std::string error;

    explicit operator bool() const { return pixels != nullptr; }
};

// Decodes a file.
ImageFile loadImage(const std::string& path);

// The same for a file's bytes held in memory (a picture embedded in a model file).
ImageFile decodeImage(std::span<const std::uint8_t> bytes);

// Raw texels in blue, green, red, alpha order, width x height of them (as
// some model files embed them), under the decoder's size limit.
ImageFile decodeTexels(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height);

// A picture's light as linear RGB floats, top row first.
struct RadianceImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;
    // Why it is empty, as for ImageFile.
    std::string error;

    explicit operator bool() const { return !rgb.empty(); }
};

// A Radiance .hdr file as it is, or any other picture the viewer reads,
// decoded from sRGB.
RadianceImage loadRadiance(const std::string& path);

}  // namespace qm
