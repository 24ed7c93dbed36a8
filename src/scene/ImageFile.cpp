#include "ImageFile.h"

#include <cstdio>
#include <memory>

// PNG and JPEG only, and no picture larger than the GL limits of any
// machine we run on: a file claiming enormous dimensions is refused before
// anything is allocated.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>

namespace qm {

namespace {

std::string lastResult = "Image loaded";

}  // namespace

ImageFile loadImage(const std::string& path)
{
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) {
        lastResult = "Unable to open file";
        return {};
    }
    ImageFile image;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_file(file.get(), &image.width, &image.height, &channels, STBI_rgb_alpha);
    if (!pixels) {
        // The decoder gives up on some damaged files without a reason.
        const char* reason = stbi_failure_reason();
        lastResult = reason && *reason ? reason : "undecodable image";
        return {};
    }
    image.pixels = {pixels, stbi_image_free};
    lastResult = "Image loaded";
    return image;
}

const std::string& lastImageResult()
{
    return lastResult;
}

}  // namespace qm
