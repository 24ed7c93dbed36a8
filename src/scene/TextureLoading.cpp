#include "TextureLoading.h"

#include <array>
#include <cmath>
#include <iostream>

#include "ImageFile.h"
#include "TexturePath.h"

namespace qm {

namespace {

std::shared_ptr<Texture> standInTexture(GraphicsResources& resources, TextureKind kind)
{
    if (kind == TextureKind::Diffuse) {
        // A loud checker, so the missing picture is noticed rather than guessed at.
        std::array<std::uint8_t, 8 * 8 * 4> pixels{};
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool magenta = (x + y) % 2 == 0;
                std::uint8_t* p = &pixels[std::size_t(y * 8 + x) * 4];
                p[0] = magenta ? 255 : 20;
                p[1] = 20;
                p[2] = magenta ? 255 : 20;
                p[3] = 255;
            }
        }
        return resources.texture(kind, 8, 8, pixels.data());
    }
    const std::array<std::uint8_t, 4> flatNormal{128, 128, 255, 255};
    const std::array<std::uint8_t, 4> black{0, 0, 0, 255};
    return resources.texture(kind, 1, 1, kind == TextureKind::Normal ? flatNormal.data() : black.data());
}

// A picture the model file carries: a whole image file in memory (height 0,
// width bytes) or raw texels.
ImageFile decodeEmbedded(const aiTexture& texture)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture.pcData);
    if (texture.mHeight == 0)
        return decodeImage({bytes, bytes ? texture.mWidth : 0u});
    return decodeTexels(bytes, texture.mWidth, texture.mHeight);
}

}  // namespace

std::vector<std::shared_ptr<Texture>> loadMaterialTextures(const aiScene& modelScene, const aiMaterial* material,
                                                           aiTextureType modelType, TextureKind kind,
                                                           const std::string& directory,
                                                           GraphicsResources& resources)
{
    std::vector<std::shared_ptr<Texture>> textures;
    for (unsigned i = 0; i < aiGetMaterialTextureCount(material, modelType); ++i) {
        aiString path;
        aiGetMaterialTexture(material, modelType, i, &path);
        const aiTexture* embedded = modelScene.GetEmbeddedTexture(path.C_Str());
        const std::string file = embedded ? std::string(path.C_Str()) + " (embedded)" : directory + "/" + path.C_Str();
        ImageFile image;
        if (embedded)
            image = decodeEmbedded(*embedded);
        else
            image = loadImage(findTextureFile(directory, path.C_Str()).value_or(file));
        if (!image) {
            std::cerr << lastImageResult() << " - " << file << std::endl;
            textures.push_back(standInTexture(resources, kind));
            continue;
        }
        textures.push_back(resources.texture(kind, image.width, image.height, image.pixels.get()));
    }
    return textures;
}

std::shared_ptr<Texture> colourTexture(GraphicsResources& resources, const glm::vec3& colour)
{
    // The programs decode their textures from sRGB, so the colour is stored encoded.
    std::array<std::uint8_t, 4> texel{0, 0, 0, 255};
    for (int c = 0; c < 3; ++c) {
        const float linear = glm::clamp(colour[c], 0.0f, 1.0f);
        const float encoded = linear <= 0.0031308f ? linear * 12.92f : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
        texel[std::size_t(c)] = std::uint8_t(std::lround(encoded * 255.0f));
    }
    return resources.texture(TextureKind::Diffuse, 1, 1, texel.data());
}

CubeFaces loadCubeFaces(const std::string& folder, const std::string& prefix)
{
    CubeFaces cube;
    std::array<ImageFile, 6>& faces = cube.faces;
    int size = 0;
    for (std::size_t face = 0; face < faces.size(); ++face) {
        const std::string file = folder + "/" + prefix + std::to_string(face) + ".jpg";
        faces[face] = loadImage(file);
        if (!faces[face]) {
            std::cerr << lastImageResult() << " - " << file << std::endl;
            continue;
        }
        // GL needs square faces of one size; another size would also be read out of bounds.
        if (faces[face].width != faces[face].height || (size != 0 && faces[face].width != size)) {
            std::cerr << "Cube-map face of another size than the first - " << file << std::endl;
            faces[face] = {};
            continue;
        }
        size = faces[face].width;
    }
    cube.size = size == 0 ? 1 : size;
    cube.standIn.assign(std::size_t(cube.size) * cube.size * 4, 40);
    return cube;
}

}  // namespace qm
