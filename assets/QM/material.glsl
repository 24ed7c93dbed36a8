// Shared by the programs that draw physically based surfaces: the
// material's inputs (glTF's metal-rough model) and their reading at a
// fragment. Textures of colour are sampled as sRGB, so they arrive linear.
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;
in vec2 texCoord1;
in vec4 vertexColour;

uniform sampler2D baseColourMap;
uniform sampler2D metallicRoughnessMap;
uniform sampler2D normalMap;
uniform sampler2D occlusionMap;
uniform sampler2D emissiveMap;
uniform vec4 baseColourFactor;
uniform float metallicFactor;
uniform float roughnessFactor;
uniform vec3 emissiveFactor;
uniform float occlusionStrength;
uniform float normalScale;
// Each picture's texture transform: base colour, metal-rough, normal,
// occlusion, emission.
uniform mat3 uvTransforms[5];
// The set of texture coordinates each picture is read with: 0 or 1.
uniform int uvSets[5];
// Fragments less opaque than this are cut; below 0 for other materials.
uniform float alphaCutoff;
uniform bool doubleSided;
uniform bool hasNormalMap;

#include "normalFrame.glsl"

struct MaterialSample {
    vec4 baseColour;
    vec3 normal;
    float metallic;
    float roughness;
    float occlusion;
    vec3 emission;
};

// Where a picture with this texture transform and set of texture
// coordinates is read at this fragment.
vec2 transformedCoord(mat3 transform, int set)
{
    return (transform * vec3(set == 1 ? texCoord1 : texCoord, 1.0)).xy;
}

// Where picture `map` (its place in uvTransforms) is read at this fragment.
vec2 pictureCoord(int map)
{
    return transformedCoord(uvTransforms[map], uvSets[map]);
}

MaterialSample sampleMaterial()
{
    MaterialSample m;
    m.baseColour = baseColourFactor * texture(baseColourMap, pictureCoord(0)) * vertexColour;
    vec3 N = normalize(viewNormal);
    // Seen from behind, a double-sided surface is lit as its other side.
    if (doubleSided && !gl_FrontFacing)
        N = -N;
    m.normal = N;
    if (hasNormalMap) {
        vec2 normalCoord = pictureCoord(2);
        vec3 tangentNormal = texture(normalMap, normalCoord).rgb * 2.0 - 1.0;
        tangentNormal.xy *= normalScale;
        m.normal = perturbNormal(N, viewPosition, normalCoord, normalize(tangentNormal));
    }
    vec4 metalRough = texture(metallicRoughnessMap, pictureCoord(1));
    m.metallic = clamp(metallicFactor * metalRough.b, 0.0, 1.0);
    m.roughness = clamp(roughnessFactor * metalRough.g, 0.0, 1.0);
    m.occlusion = clamp(1.0 + occlusionStrength * (texture(occlusionMap, pictureCoord(3)).r - 1.0), 0.0, 1.0);
    m.emission = emissiveFactor * texture(emissiveMap, pictureCoord(4)).rgb;
    return m;
}
