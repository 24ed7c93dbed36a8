#include "MaterialImport.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <utility>

#include "DrawnOpacity.h"
#include "GraphicsResources.h"
#include "ImportContext.h"
#include "Material.h"
#include "TextureLoading.h"
#include "TextureTransform.h"

namespace qm {

namespace {

// A program of the runtime data, loaded on first use.
std::shared_ptr<Shader> namedProgram(ImportContext& r, const std::string& name)
{
    std::shared_ptr<Shader>& shader = r.session.shadersByName[name];
    if (!shader)
        shader = r.session.resources->program(r.session.assetDirectory + "/" + name);
    return shader;
}

// The material's first picture of a slot; none when it names none.
const SceneTexture* firstTexture(const SceneMaterial& material, TextureSlot slot)
{
    const auto first = std::find_if(material.textures.begin(), material.textures.end(),
                                    [slot](const SceneTexture& t) { return t.slot == slot; });
    return first == material.textures.end() ? nullptr : &*first;
}

// The material of the table's or a classic program, with the textures it
// reads (only the diffuse ones for the diffuse program) and, under the
// policy's own colour, a texture of its diffuse colour where it has no picture.
std::shared_ptr<Material> createMaterial(ImportContext& r, const SceneData& modelScene,
                                         const SceneMaterial& modelMaterial, std::shared_ptr<Shader> shader,
                                         bool diffuseOnly = false)
{
    auto material = std::make_shared<Material>();
    material->ambient = glm::vec3(0.2f);
    for (const auto& [slot, kind] : {std::pair{TextureSlot::Diffuse, TextureKind::Diffuse},
                                     std::pair{TextureSlot::Specular, TextureKind::Specular},
                                     std::pair{TextureSlot::Normal, TextureKind::Normal}}) {
        if (diffuseOnly && slot != TextureSlot::Diffuse)
            continue;
        auto textures = loadMaterialTextures(modelScene, modelMaterial, slot, kind, r.build.textureDirectory,
                                             r.session.dataRoot, *r.session.resources, r.build.pictures, *r.build.log.problems,
                                             r.build.summary.textures);
        material->textures.insert(material->textures.end(), textures.begin(), textures.end());
    }
    if (r.build.policy.ownColour && !firstTexture(modelMaterial, TextureSlot::Diffuse)) {
        const auto& colour = modelMaterial.diffuse;
        material->textures.push_back(colourTexture(*r.session.resources, {colour[0], colour[1], colour[2]}));
        ++r.build.materialCounts.ownColour;
    }
    material->shininess = 32.0f;
    material->shader = std::move(shader);
    return material;
}

// Whether a material has every map the standard program reads.
bool hasEveryMap(const SceneMaterial& material)
{
    return firstTexture(material, TextureSlot::Diffuse) && firstTexture(material, TextureSlot::Specular) &&
           firstTexture(material, TextureSlot::Normal);
}

// The texture transform of a slot's first picture; none (identity) without one.
glm::mat3 pictureTransform(const SceneMaterial& material, TextureSlot slot)
{
    const SceneTexture* first = firstTexture(material, slot);
    return first ? textureTransform(*first) : glm::mat3(1.0f);
}

// The set of texture coordinates a slot's first picture is read with.
int pictureSet(const SceneMaterial& material, TextureSlot slot)
{
    const SceneTexture* first = firstTexture(material, slot);
    return first && first->texCoordSet == 1 ? 1 : 0;
}

// The first picture of a slot, as `kind`; none when the material names none.
std::shared_ptr<Texture> firstPicture(ImportContext& r, const SceneData& modelScene, const SceneMaterial& material,
                                      TextureSlot slot, TextureKind kind)
{
    const SceneTexture* first = firstTexture(material, slot);
    if (!first)
        return nullptr;
    SceneMaterial one;
    one.textures.push_back(*first);
    return loadMaterialTextures(modelScene, one, slot, kind, r.build.textureDirectory, r.session.dataRoot,
                                *r.session.resources, r.build.pictures, *r.build.log.problems, r.build.summary.textures)
        .front();
}

// A material for the physically based program (or, for points and lines
// and surfaces the file marks unlit, the unlit one, which reads the base
// colour alone). A classic material gets here only to be blended (its
// opacity as drawn is below 1): its diffuse colour and picture become the
// base colour, its shininess a roughness, and it is not metal.
std::shared_ptr<Material> createSurfaceMaterial(ImportContext& r, const SceneData& modelScene,
                                                const SceneMaterial& from, float opacity, Shading shading)
{
    auto material = std::make_shared<Material>();
    material->shading = shading;
    material->shader = namedProgram(r, shading == Shading::Unlit ? "unlit" : "pbr");
    material->doubleSided = from.doubleSided;
    SurfaceParameters& s = material->surface;
    const bool metalRough = from.physicallyBased;
    s.baseColour = from.hasBaseColour ? glm::make_vec4(from.baseColour.data())
                                      : glm::vec4(from.diffuse[0], from.diffuse[1], from.diffuse[2], opacity);
    s.alphaCutoff = from.alphaCutoff;
    material->coverage = from.alphaMode == AlphaMode::Mask                              ? Coverage::Mask
                         : from.alphaMode == AlphaMode::Blend || s.baseColour.a < 1.0f ? Coverage::Blend
                                                                                       : Coverage::Opaque;
    if (from.alphaMode == AlphaMode::Opaque && metalRough)
        material->coverage = Coverage::Opaque;  // glTF: alpha is ignored for opaque materials
    const TextureSlot baseSlot =
        firstTexture(from, TextureSlot::BaseColour) ? TextureSlot::BaseColour : TextureSlot::Diffuse;
    s.baseColourMap = firstPicture(r, modelScene, from, baseSlot, TextureKind::BaseColour);
    const TextureSlot pictures[5] = {baseSlot, TextureSlot::MetallicRoughness, TextureSlot::Normal,
                                     TextureSlot::Occlusion, TextureSlot::Emissive};
    for (std::size_t p = 0; p < s.uvTransforms.size(); ++p) {
        s.uvTransforms[p] = pictureTransform(from, pictures[p]);
        s.uvSets[p] = pictureSet(from, pictures[p]);
    }
    // The unlit program draws into the G-buffer only: blended unlit surfaces are drawn opaque.
    if (shading == Shading::Unlit && material->coverage == Coverage::Blend)
        material->coverage = Coverage::Opaque;
    if (shading == Shading::Unlit)
        return material;
    s.metallic = metalRough ? from.metallic : 0.0f;
    s.roughness = metalRough ? from.roughness : std::sqrt(2.0f / (std::max(from.shininess, 0.0f) + 2.0f));
    s.emissive = glm::make_vec3(from.emissive.data()) * from.emissiveStrength;
    s.occlusionStrength = from.occlusionStrength;
    s.normalScale = from.normalScale;
    if (metalRough) {
        s.layers = surfaceLayers(from);
        // In the order the forward program reads them.
        constexpr std::pair<TextureSlot, TextureKind> layerPictures[SurfaceLayers::pictureCount] = {
            {TextureSlot::Clearcoat, TextureKind::LayerData},       {TextureSlot::ClearcoatRoughness, TextureKind::LayerData},
            {TextureSlot::Transmission, TextureKind::LayerData},    {TextureSlot::Thickness, TextureKind::LayerData},
            {TextureSlot::SheenColour, TextureKind::LayerColour},   {TextureSlot::SheenRoughness, TextureKind::LayerData},
            {TextureSlot::SpecularStrength, TextureKind::LayerData}, {TextureSlot::SpecularColour, TextureKind::LayerColour}};
        for (std::size_t p = 0; p < SurfaceLayers::pictureCount; ++p) {
            const auto [slot, kind] = layerPictures[p];
            s.layers.maps[p] = firstPicture(r, modelScene, from, slot, kind);
            s.layers.uvTransforms[p] = pictureTransform(from, slot);
            s.layers.uvSets[p] = pictureSet(from, slot);
        }
    }
    if (metalRough)
        s.metallicRoughnessMap =
            firstPicture(r, modelScene, from, TextureSlot::MetallicRoughness, TextureKind::MetallicRoughness);
    s.normalMap = firstPicture(r, modelScene, from, TextureSlot::Normal, TextureKind::Normal);
    s.occlusionMap = firstPicture(r, modelScene, from, TextureSlot::Occlusion, TextureKind::Occlusion);
    s.emissiveMap = firstPicture(r, modelScene, from, TextureSlot::Emissive, TextureKind::Emissive);
    return material;
}

// The opacity a file's material is drawn with; a mix-up is reported once
// for the material, whether triangles or points and lines use it first.
float opacityOf(const ImportContext& r, const SceneMaterial& material, unsigned index)
{
    std::string why;
    const float opacity = drawnOpacity(material, why);
    if (!why.empty() && !r.build.materialsByIndex.count(index) && !r.build.unlitMaterials.count(index))
        *r.build.log.problems << why << std::endl;
    return opacity;
}

}  // namespace

SurfaceLayers surfaceLayers(const SceneMaterial& from)
{
    // NaN falls to the fallback, and so to the lower bound's side of an absent layer.
    const auto within = [](float value, float low, float high, float fallback) {
        return std::isnan(value) ? fallback : std::clamp(value, low, high);
    };
    const auto colour = [&](const std::array<float, 3>& c, float high, float fallback) {
        return glm::vec3(within(c[0], 0.0f, high, fallback), within(c[1], 0.0f, high, fallback),
                         within(c[2], 0.0f, high, fallback));
    };
    SurfaceLayers layers;
    layers.clearcoat = within(from.clearcoat, 0.0f, 1.0f, 0.0f);
    layers.clearcoatRoughness = within(from.clearcoatRoughness, 0.0f, 1.0f, 0.0f);
    layers.sheenColour = colour(from.sheenColour, 1.0f, 0.0f);
    layers.sheenRoughness = within(from.sheenRoughness, 0.0f, 1.0f, 0.0f);
    layers.transmission = within(from.transmission, 0.0f, 1.0f, 0.0f);
    layers.thickness = within(from.thickness, 0.0f, std::numeric_limits<float>::max(), 0.0f);
    layers.attenuationDistance = within(from.attenuationDistance, 0.0f, std::numeric_limits<float>::max(), 0.0f);
    layers.attenuationColour = colour(from.attenuationColour, 1.0f, 1.0f);
    layers.ior = within(from.ior, 1.0f, 1e6f, 1.5f);
    layers.specular = within(from.dielectricSpecular, 0.0f, 1.0f, 1.0f);
    // Colours of reflection may exceed 1; the program limits the product.
    layers.specularColour = colour(from.dielectricSpecularColour, 1e3f, 1.0f);
    return layers;
}

// The unlit material points and lines of a file's material are drawn with.
std::shared_ptr<Material> unlitMaterialFor(ImportContext& r, const SceneData& modelScene, unsigned index)
{
    if (const auto it = r.build.unlitMaterials.find(index); it != r.build.unlitMaterials.end())
        return it->second;
    const SceneMaterial& from = modelScene.materials[index];
    const float opacity = opacityOf(r, from, index);
    return r.build.unlitMaterials[index] = createSurfaceMaterial(r, modelScene, from, opacity, Shading::Unlit);
}

// The material of a mesh, created on its first use; empty (reported) when
// the table assigns it no loaded program and the policy gives no default.
std::shared_ptr<Material> materialFor(ImportContext& r, const SceneData& modelScene, unsigned index)
{
    if (const auto it = r.build.materialsByIndex.find(index); it != r.build.materialsByIndex.end())
        return it->second;
    const SceneMaterial& modelMaterial = modelScene.materials[index];
    const auto program = r.build.materialShaderNames.find(modelMaterial.name);
    const auto shader = program == r.build.materialShaderNames.end() ? r.session.shadersByName.end()
                                                               : r.session.shadersByName.find(program->second);
    if (shader != r.session.shadersByName.end()) {
        ++r.build.materialCounts.fromTable;
        return r.build.materialsByIndex[index] = createMaterial(r, modelScene, modelMaterial, shader->second);
    }
    if (!r.build.policy.defaultPrograms) {
        *r.build.log.problems << "Could not find shader for the material \"" << modelMaterial.name << "\"." << std::endl;
        return nullptr;
    }
    const float opacity = opacityOf(r, modelMaterial, index);
    if (modelMaterial.physicallyBased || opacity < 1.0f) {
        ++r.build.materialCounts.physicallyBased;
        return r.build.materialsByIndex[index] =
                   createSurfaceMaterial(r, modelScene, modelMaterial, opacity, Shading::PhysicallyBased);
    }
    // A material the table does not name: the standard program when it has
    // every map that reads, else the diffuse one, which reads no specular or
    // normal map (the material then gets none to bind).
    const bool standard = hasEveryMap(modelMaterial);
    ++(standard ? r.build.materialCounts.standard : r.build.materialCounts.diffuse);
    return r.build.materialsByIndex[index] =
               createMaterial(r, modelScene, modelMaterial,
                              namedProgram(r, standard ? "material_standard" : "material_diffuse"), !standard);
}

}  // namespace qm
