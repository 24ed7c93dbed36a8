#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// A PNG or JPEG picture decoded to 8-bit RGBA, top row first; the pixels
// are freed with the object.
struct ImageFile {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint8_t, void (*)(void*)> pixels{nullptr, [](void*) {}};

    explicit operator bool() const { return pixels != nullptr; }
};

// Decodes a file; an empty result on failure, with the reason in lastImageResult().
ImageFile loadImage(const std::string& path);

// "Image loaded" after a success, "Unable to open file" when the file cannot
// be opened, the decoder's reason otherwise ("undecodable image" when it
// gives none).
const std::string& lastImageResult();

}  // namespace qm
