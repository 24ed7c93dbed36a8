#pragma once

#include <GL/glew.h>

#include <cstdint>

namespace qm {

// A mipmapped, repeating 2D texture made from 8-bit RGBA pixels.
struct Texture {
    enum Type { Diffuse = 0, Specular = 1, Normal = 2 };

    // Uploads the pixels (top row first) into a new GL texture.
    Texture(int type, int width, int height, const std::uint8_t* pixels);
    // Owns the GL texture: not copied, and deleted with it.
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture();

    GLuint id = 0;
    int type = Diffuse;
};

}  // namespace qm
