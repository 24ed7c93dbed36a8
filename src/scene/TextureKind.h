#pragma once

namespace qm {

// What a material's picture is for. The classic programs number their
// samplers per kind (diffuse, specular, normal); the physically based
// program has one sampler per kind. Base colour and emissive pictures hold
// colour and are decoded from sRGB by the sampler, as are the colours of
// glTF's further layers (sheen, specular); the others hold data.
enum class TextureKind {
    Diffuse = 0,
    Specular = 1,
    Normal = 2,
    BaseColour,
    MetallicRoughness,
    Emissive,
    Occlusion,
    LayerData,
    LayerColour
};

}  // namespace qm
