#include "ImageFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

// PNG, JPEG, BMP and TGA (the formats models name and we fuzz) and Radiance
// HDR (environments), and no
// picture larger than the GL limits of any machine we run on: a file
// claiming enormous dimensions is refused before anything is allocated.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>
#include <webp/decode.h>

namespace qm {

namespace {

constexpr const char* unopened = "Unable to open file";

// The decoder's reason for its last failure.
std::string decoderReason()
{
    const char* reason = stbi_failure_reason();
    return reason && *reason ? reason : "undecodable image";
}

ImageFile failedImage(std::string reason)
{
    ImageFile image;
    image.error = std::move(reason);
    return image;
}

bool isWebp(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

// WebP pictures (glTF's EXT_texture_webp), through libwebp, under the same size limit.
ImageFile decodeWebp(std::span<const std::uint8_t> bytes)
{
    ImageFile image;
    if (!WebPGetInfo(bytes.data(), bytes.size(), &image.width, &image.height))
        return failedImage("undecodable WebP picture");
    if (image.width > STBI_MAX_DIMENSIONS || image.height > STBI_MAX_DIMENSIONS)
        return failedImage("too large");
    std::uint8_t* pixels = WebPDecodeRGBA(bytes.data(), bytes.size(), &image.width, &image.height);
    if (!pixels)
        return failedImage("undecodable WebP picture");
    image.pixels = {pixels, WebPFree};
    return image;
}

// The decoder builds each JPEG Huffman table in arrays of 256 symbols without
// checking that the table's 16 counts fit them: a damaged table writes past
// them. Such files are refused before decoding. Walks the marker segments,
// stepping over the entropy-coded data after each start of scan.
bool huffmanTablesFit(std::span<const std::uint8_t> bytes)
{
    const std::size_t size = bytes.size();
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return true;  // not a JPEG
    std::size_t at = 2;
    while (at + 1 < size) {
        if (bytes[at] != 0xFF) {  // entropy-coded data: on to the next marker
            ++at;
            continue;
        }
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF || marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7)) {
            ++at;  // a fill byte, a stuffed zero or a restart marker
            continue;
        }
        if (marker == 0xD9 || at + 3 >= size)
            return true;
        const std::size_t end = at + 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
        if (marker == 0xC4) {
            for (std::size_t table = at + 4; table + 17 <= std::min(end, size);) {
                std::size_t symbols = 0;
                for (std::size_t i = 1; i <= 16; ++i)
                    symbols += bytes[table + i];
                if (symbols > 256)
                    return false;
                table += 17 + symbols;
            }
        }
        at = end;
    }
    return true;
}

}  // namespace

namespace {

// The file's bytes; nothing when it cannot be opened.
std::optional<std::vector<std::uint8_t>> fileBytes(const std::string& path)
{
    // A folder opens as a stream, and reading it then throws.
    std::error_code error;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, error))
        file.open(path, std::ios::binary);
    if (!file.is_open())
        return std::nullopt;
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

float srgbToLinear(std::uint8_t value)
{
    const float c = float(value) / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

}  // namespace

ImageFile loadImage(const std::string& path)
{
    const auto bytes = fileBytes(path);
    return bytes ? decodeImage(*bytes) : failedImage(unopened);
}

RadianceImage loadRadiance(const std::string& path)
{
    const auto bytes = fileBytes(path);
    RadianceImage image;
    if (!bytes) {
        image.error = unopened;
        return image;
    }
    const int size = int(std::min<std::size_t>(bytes->size(), INT_MAX));
    if (stbi_is_hdr_from_memory(bytes->data(), size)) {
        int channels = 0;
        float* texels = stbi_loadf_from_memory(bytes->data(), size, &image.width, &image.height, &channels, 3);
        if (!texels) {
            image.error = decoderReason();
            return image;
        }
        image.rgb.assign(texels, texels + std::size_t(image.width) * std::size_t(image.height) * 3);
        stbi_image_free(texels);
        return image;
    }
    ImageFile picture = decodeImage(*bytes);
    if (!picture) {
        image.error = std::move(picture.error);
        return image;
    }
    image.width = picture.width;
    image.height = picture.height;
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    image.rgb.reserve(3 * count);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t c = 0; c < 3; ++c)
            image.rgb.push_back(srgbToLinear(picture.pixels.get()[4 * i + c]));
    return image;
}

ImageFile decodeImage(std::span<const std::uint8_t> bytes)
{
    if (isWebp(bytes))
        return decodeWebp(bytes);
    if (!huffmanTablesFit(bytes))
        return failedImage("bad DHT header");
    ImageFile image;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), int(std::min<std::size_t>(bytes.size(), INT_MAX)),
                                            &image.width, &image.height, &channels, STBI_rgb_alpha);
    if (!pixels)
        return failedImage(decoderReason());  // some damaged files give no reason
    image.pixels = {pixels, stbi_image_free};
    return image;
}

ImageFile decodeTexels(const std::uint8_t* bgra, std::uint32_t width, std::uint32_t height)
{
    if (!bgra || width == 0 || height == 0)
        return failedImage("no texels");
    if (width > STBI_MAX_DIMENSIONS || height > STBI_MAX_DIMENSIONS)
        return failedImage("too large");
    const std::size_t count = std::size_t(width) * std::size_t(height);
    auto* pixels = static_cast<std::uint8_t*>(std::malloc(count * 4));
    for (std::size_t i = 0; i < count * 4; i += 4) {
        pixels[i] = bgra[i + 2];
        pixels[i + 1] = bgra[i + 1];
        pixels[i + 2] = bgra[i];
        pixels[i + 3] = bgra[i + 3];
    }
    ImageFile image;
    image.width = int(width);
    image.height = int(height);
    image.pixels = {pixels, std::free};
    return image;
}

}  // namespace qm
