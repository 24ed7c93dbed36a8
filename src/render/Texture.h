#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "GLObject.h"
#include "TextureKind.h"

namespace qm {

// A mipmapped, repeating 2D texture made from 8-bit RGBA pixels.
struct Texture {
    // Uploads the pixels (top row first) into a new GL texture, which it owns.
    Texture(TextureKind kind, int width, int height, const std::uint8_t* pixels);

    GLTexture id;
    TextureKind kind = TextureKind::Diffuse;
};

}  // namespace qm
