#pragma once

#include <array>
#include <memory>
#include <vector>

#include "Math.h"

namespace qm {

struct Shader;
struct Texture;

// How a material's surfaces are lit: the classic programs' Phong model,
// glTF's metal-rough model, or not at all (points and lines).
enum class Shading { Classic, PhysicallyBased, Unlit };

enum class Coverage { Opaque, Mask, Blend };

// N texture transforms that leave every picture where it is.
template <std::size_t N>
std::array<glm::mat3, N> unmovedPictures()
{
    std::array<glm::mat3, N> transforms;
    transforms.fill(glm::mat3(1.0f));
    return transforms;
}

// glTF's further material extensions: a clear coat, a sheen, transmission
// through a volume, the index of refraction and the dielectric reflection's
// strength and colour, by their factors, which their pictures scale. A
// surface with any of them is lit in the forward pass, which reads them all.
struct SurfaceLayers {
    // The pictures, in this order: clear coat, its roughness, transmission,
    // thickness, sheen colour, sheen roughness, specular strength, specular
    // colour; each may be empty, which reads as white.
    static constexpr std::size_t pictureCount = 8;
    std::array<std::shared_ptr<Texture>, pictureCount> maps;
    std::array<glm::mat3, pictureCount> uvTransforms = unmovedPictures<pictureCount>();
    std::array<int, pictureCount> uvSets{};

    float clearcoat = 0.0f;
    float clearcoatRoughness = 0.0f;
    glm::vec3 sheenColour{0.0f};
    float sheenRoughness = 0.0f;
    float transmission = 0.0f;
    float thickness = 0.0f;
    // 0: nothing is absorbed.
    float attenuationDistance = 0.0f;
    glm::vec3 attenuationColour{1.0f};
    float ior = 1.5f;
    float specular = 1.0f;
    glm::vec3 specularColour{1.0f};

    bool any() const
    {
        return clearcoat > 0.0f || sheenColour != glm::vec3(0.0f) || transmission > 0.0f || ior != 1.5f ||
               specular != 1.0f || specularColour != glm::vec3(1.0f);
    }
};

// The physically based parameters, as glTF defines them; each picture may
// be empty, which reads as white (a flat normal for the normal map).
struct SurfaceParameters {
    glm::vec4 baseColour{1.0f};
    float metallic = 1.0f;
    float roughness = 1.0f;
    glm::vec3 emissive{0.0f};
    float occlusionStrength = 1.0f;
    float normalScale = 1.0f;
    float alphaCutoff = 0.5f;
    // Each picture's texture transform: base colour, metal-rough, normal,
    // occlusion, emission.
    std::array<glm::mat3, 5> uvTransforms = unmovedPictures<5>();
    // The set of texture coordinates each of those pictures is read with.
    std::array<int, 5> uvSets{};
    SurfaceLayers layers;
    std::shared_ptr<Texture> baseColourMap;
    std::shared_ptr<Texture> metallicRoughnessMap;
    std::shared_ptr<Texture> normalMap;
    std::shared_ptr<Texture> occlusionMap;
    std::shared_ptr<Texture> emissiveMap;
};

// Shading parameters, textures (diffuse, then specular, then normal maps)
// and the program that meshes of this material are set up and drawn with;
// the textures and the program are the renderer's.
struct Material {
    glm::vec3 ambient{0.0f};
    std::vector<std::shared_ptr<Texture>> textures;
    float shininess = 0.0f;
    std::shared_ptr<Shader> shader;
    // The same program for the material's deforming meshes (bones, morph
    // targets); none until such a mesh uses the material.
    std::shared_ptr<Shader> deformingShader;
    Shading shading = Shading::Classic;
    Coverage coverage = Coverage::Opaque;
    // Drawn from both sides, the normal turned towards the viewer.
    bool doubleSided = false;
    // Physically based and unlit materials only.
    SurfaceParameters surface;

    // Drawn in the forward pass, after the deferred lighting: blended, or
    // with layers the G-buffer does not keep.
    bool drawnForward() const
    {
        return coverage == Coverage::Blend || (shading == Shading::PhysicallyBased && surface.layers.any());
    }
};

}  // namespace qm
