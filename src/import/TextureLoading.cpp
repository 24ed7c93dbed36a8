#include "TextureLoading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>

#include "ImageFile.h"
#include "TexturePath.h"

namespace qm {

namespace {

std::shared_ptr<Texture> standInTexture(GraphicsResources& resources, TextureKind kind)
{
    if (kind == TextureKind::Diffuse || kind == TextureKind::BaseColour) {
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
    const std::array<std::uint8_t, 4> white{255, 255, 255, 255};
    // Data maps read as "no change": full metal-rough and layer factors, no occlusion.
    const bool neutralWhite = kind == TextureKind::MetallicRoughness || kind == TextureKind::Occlusion ||
                              kind == TextureKind::LayerData || kind == TextureKind::LayerColour;
    return resources.texture(kind, 1, 1,
                             kind == TextureKind::Normal ? flatNormal.data()
                             : neutralWhite              ? white.data()
                                                         : black.data());
}

// A picture the model file carries: a whole image file in memory (height 0)
// or raw texels.
ImageFile decodeEmbedded(const SceneImage& image)
{
    if (image.height == 0)
        return decodeImage(image.bytes);
    return decodeTexels(image.bytes.data(), image.width, image.height);
}

}  // namespace

std::vector<std::shared_ptr<Texture>> loadMaterialTextures(const SceneData& modelScene, const SceneMaterial& material,
                                                           TextureSlot slot, TextureKind kind,
                                                           const std::string& directory,
                                                           const std::filesystem::path& root,
                                                           GraphicsResources& resources, PictureStore& pictures,
                                                           std::ostream& problems, TextureTally& tally)
{
    std::vector<std::shared_ptr<Texture>> textures;
    for (const SceneTexture& texture : material.textures) {
        if (texture.slot != slot)
            continue;
        const bool embedded = texture.image >= 0;
        const std::string file = embedded ? texture.path + " (embedded)" : directory + "/" + texture.path;
        ImageFile image;
        if (embedded) {
            image = decodeEmbedded(modelScene.images[std::size_t(texture.image)]);
        } else {
            image = pictures.load(
                findTextureFile((root / directory).string(), texture.path).value_or((root / file).string()));
        }
        const bool first = tally.files.insert(file).second;
        if (!image) {
            problems << image.error << " - " << file << std::endl;
            if (first)
                tally.missing.push_back(file);
            textures.push_back(standInTexture(resources, kind));
            continue;
        }
        tally.largest = std::max({tally.largest, image.width, image.height});
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

CubeFaces loadCubeFaces(const std::string& folder, const std::string& prefix, std::ostream& problems,
                        const std::filesystem::path& root)
{
    CubeFaces cube;
    std::array<ImageFile, 6>& faces = cube.faces;
    int size = 0;
    for (std::size_t face = 0; face < faces.size(); ++face) {
        const std::string file = folder + "/" + prefix + std::to_string(face) + ".jpg";
        faces[face] = loadImage((root / file).string());
        if (!faces[face]) {
            problems << faces[face].error << " - " << file << std::endl;
            continue;
        }
        // GL needs square faces of one size; another size would also be read out of bounds.
        if (faces[face].width != faces[face].height || (size != 0 && faces[face].width != size)) {
            problems << "Cube-map face of another size than the first - " << file << std::endl;
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
