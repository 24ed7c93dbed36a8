#include "Texture.h"

#include <algorithm>

namespace qm {

namespace {

bool isClassic(TextureKind kind)
{
    return kind == TextureKind::Diffuse || kind == TextureKind::Specular || kind == TextureKind::Normal;
}

}  // namespace

Texture::Texture(TextureKind kind, int width, int height, const std::uint8_t* pixels) : id(makeTexture()), kind(kind)
{
    const bool colour =
        kind == TextureKind::BaseColour || kind == TextureKind::Emissive || kind == TextureKind::LayerColour;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, colour ? GL_SRGB8_ALPHA8 : GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    if (!isClassic(kind)) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        if (GLEW_EXT_texture_filter_anisotropic) {
            GLfloat most = 1.0f;
            glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
            glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(most, 8.0f));
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace qm
