#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "GLObject.h"

namespace qm {

// A mipmapped, repeating 2D texture made from 8-bit RGBA pixels.
struct Texture {
    enum Type { Diffuse = 0, Specular = 1, Normal = 2 };

    // Uploads the pixels (top row first) into a new GL texture, which it owns.
    Texture(int type, int width, int height, const std::uint8_t* pixels);

    GLTexture id;
    int type = Diffuse;
};

}  // namespace qm
