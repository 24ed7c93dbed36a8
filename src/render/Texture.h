#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "GLObject.h"
#include "TextureKind.h"

namespace qm {

// A mipmapped, repeating 2D texture made from 8-bit RGBA pixels.
struct Texture {
    // Uploads the pixels (top row first) into a new GL texture, which it
    // owns. The physically based kinds are filtered trilinearly and
    // anisotropically where the driver offers it, and base colour and
    // emissive pictures are decoded from sRGB by the sampler; the classic
    // kinds keep the filtering their programs were tuned with.
    Texture(TextureKind kind, int width, int height, const std::uint8_t* pixels);

    GLTexture id;
    TextureKind kind = TextureKind::Diffuse;
};

}  // namespace qm
