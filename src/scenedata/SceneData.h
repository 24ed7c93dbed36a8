#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// What a model file holds, as plain data: flat arrays and indices, no
// reader types. The model reader's process writes it, the viewer builds its
// scene from it, and the scene cache keeps it. Every array of a vertex
// attribute is either empty or holds one record per vertex; every index
// refers to an element of this same scene (decodeSceneData checks all of
// them). Matrices are 16 floats, column after column, for column vectors.
// Written with SceneDataFile.h; a change to these records changes
// sceneDataVersion there.

using Matrix4 = std::array<float, 16>;
inline constexpr Matrix4 identityMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A bone of a skinned mesh: the node that moves it and the matrix from the
// mesh's space into the bone's at rest.
struct SceneBone {
    std::string node;
    Matrix4 offset = identityMatrix;
};

// Another shape of a mesh for morph animation: absolute positions (and
// normals), one record per vertex of the mesh.
struct MorphTarget {
    std::string name;
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex, or none
};

struct SceneMesh {
    std::string name;
    std::uint32_t material = 0;
    std::vector<float> positions;  // 3 per vertex; their count is the vertex count
    std::vector<float> normals;    // 3 per vertex
    std::vector<float> tangents;   // 4 per vertex: direction and the bitangent's handedness (+1 or -1)
    std::array<std::vector<float>, 2> texCoords;  // sets 0 and 1, 2 per vertex
    std::vector<float> colours;    // 4 per vertex, linear RGBA
    // The primitives by kind, as vertex indices: 3, 2 and 1 per primitive.
    std::vector<std::uint32_t> triangles;
    std::vector<std::uint32_t> lines;
    std::vector<std::uint32_t> points;
    // Skinning: up to four bones per vertex, the heaviest, with their weights.
    std::vector<SceneBone> bones;
    std::vector<std::uint32_t> boneIndices;  // 4 per vertex, into bones
    std::vector<float> boneWeights;          // 4 per vertex
    std::vector<MorphTarget> morphTargets;
    // The materials its file's variants give it, in pairs: a variant (of
    // SceneData::variants) and its material; a variant not named keeps
    // `material`.
    std::vector<std::uint32_t> variantMaterials;
    // Why the file's mesh could not be taken (it then holds no vertices):
    // the viewer reports it once and leaves the mesh out.
    std::string problem;

    std::size_t vertexCount() const { return positions.size() / 3; }
};

// Where a material's texture goes.
enum class TextureSlot : std::uint8_t {
    Diffuse,
    Specular,
    Normal,
    BaseColour,
    MetallicRoughness,
    Emissive,
    Occlusion,
    Opacity,
    // glTF's further layers: clear coat (red) and its roughness (green),
    // transmission (red), thickness (green), sheen colour (RGB) and
    // roughness (alpha), specular strength (alpha) and colour (RGB).
    Clearcoat,
    ClearcoatRoughness,
    Transmission,
    Thickness,
    SheenColour,
    SheenRoughness,
    SpecularStrength,
    SpecularColour,
    Count  // not a slot
};

struct SceneTexture {
    TextureSlot slot = TextureSlot::Diffuse;
    // As the file names it, relative to the model's folder unless absolute.
    std::string path;
    // The embedded image it names, or -1 for a file.
    std::int32_t image = -1;
    std::uint32_t texCoordSet = 0;
    // The texture transform, applied to the coordinates in this order:
    // scale, then rotation (radians, counter-clockwise), then offset. The
    // offset is glTF's moved so that the turn is about the picture's middle
    // with v running up (as the model reader gives it; see
    // textureTransform in TextureTransform.h).
    std::array<float, 2> offset{0.0f, 0.0f};
    std::array<float, 2> scale{1.0f, 1.0f};
    float rotation = 0.0f;
};

enum class AlphaMode : std::uint8_t { Opaque, Mask, Blend };

struct SceneMaterial {
    std::string name;
    // The classic colours, linear; diffuse is 0.8 grey where the file gives none.
    std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 3> specular{0.0f, 0.0f, 0.0f};
    float shininess = 0.0f;
    float opacity = 1.0f;
    // Physically based metal-rough parameters, as glTF defines them.
    std::array<float, 4> baseColour{1.0f, 1.0f, 1.0f, 1.0f};
    float metallic = 1.0f;
    float roughness = 1.0f;
    std::array<float, 3> emissive{0.0f, 0.0f, 0.0f};
    float emissiveStrength = 1.0f;
    AlphaMode alphaMode = AlphaMode::Opaque;
    float alphaCutoff = 0.5f;
    bool doubleSided = false;
    bool hasBaseColour = false;  // false: the file gave only classic colours
    // True when the file describes the surface with physically based keys
    // (metal-rough, or specular-glossiness already converted to it).
    bool physicallyBased = false;
    float occlusionStrength = 1.0f;
    float normalScale = 1.0f;
    // Drawn in its base colour alone, without light (glTF's KHR_materials_unlit).
    bool unlit = false;
    // glTF's further material extensions, by their factors (their pictures
    // are not read): a clear coat over the surface, a sheen as on cloth, the
    // share of light that passes through and the volume it then crosses
    // (absorbed to its colour over its distance; 0 for none), the index of
    // refraction, and the dielectric reflection's strength and colour.
    float clearcoat = 0.0f;
    float clearcoatRoughness = 0.0f;
    std::array<float, 3> sheenColour{0.0f, 0.0f, 0.0f};
    float sheenRoughness = 0.0f;
    float transmission = 0.0f;
    float thickness = 0.0f;
    float attenuationDistance = 0.0f;
    std::array<float, 3> attenuationColour{1.0f, 1.0f, 1.0f};
    float ior = 1.5f;
    float dielectricSpecular = 1.0f;
    std::array<float, 3> dielectricSpecularColour{1.0f, 1.0f, 1.0f};
    // In the file's order within each slot.
    std::vector<SceneTexture> textures;
};

// A picture the model file carries: an image file's bytes (height 0), or
// width x height texels of 4 bytes (B, G, R, A).
struct SceneImage {
    std::string name;
    std::string formatHint;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bytes;
};

// Nodes are listed parents first (depth first): a node's parent has a
// lower index, the root is node 0 with parent -1, and a node's children
// are the later nodes naming it, in their order.
struct SceneNode {
    std::string name;
    std::int32_t parent = -1;
    Matrix4 transform = identityMatrix;
    std::vector<std::uint32_t> meshes;
};

enum class LightKind : std::uint8_t { Undefined, Directional, Point, Spot, Ambient, Area };

struct SceneLight {
    std::string name;  // the node that places it
    LightKind kind = LightKind::Undefined;
    std::array<float, 3> diffuse{0, 0, 0};
    std::array<float, 3> specular{0, 0, 0};
    std::array<float, 3> ambient{0, 0, 0};
    float attenuationConstant = 1.0f;
    float attenuationLinear = 0.0f;
    float attenuationQuadratic = 0.0f;
    std::array<float, 3> position{0, 0, 0};
    std::array<float, 3> direction{0, 0, -1};
    float innerCone = 0.0f;  // radians, whole angle
    float outerCone = 0.0f;
};

struct SceneCamera {
    std::string name;  // the node that places it
    std::array<float, 3> position{0, 0, 0};
    std::array<float, 3> up{0, 1, 0};
    std::array<float, 3> lookAt{0, 0, -1};
    float horizontalFov = 0.0f;  // radians, half angle
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float aspect = 0.0f;
};

// One node's keys: times in ticks, values 3 (position, scale) or 4
// (rotation quaternion x, y, z, w) per key.
struct NodeChannel {
    std::string node;
    std::vector<double> positionTimes;
    std::vector<float> positions;
    std::vector<double> rotationTimes;
    std::vector<float> rotations;
    std::vector<double> scaleTimes;
    std::vector<float> scales;
};

// One mesh's morph keys: at times[k], the targets from offsets[k] to
// offsets[k + 1] in targets/weights.
struct MorphChannel {
    std::string mesh;
    std::vector<double> times;
    std::vector<std::uint32_t> offsets;  // times.size() + 1 entries
    std::vector<std::uint32_t> targets;
    std::vector<float> weights;
};

struct SceneAnimation {
    std::string name;
    double duration = 0.0;  // ticks
    double ticksPerSecond = 0.0;
    std::vector<NodeChannel> nodeChannels;
    std::vector<MorphChannel> morphChannels;
};

// A number the file records about itself (units, axes), by the reader's key.
struct SceneNumber {
    std::string key;
    double value = 0.0;
};

struct SceneData {
    std::vector<SceneMesh> meshes;
    std::vector<SceneMaterial> materials;
    std::vector<SceneImage> images;
    std::vector<SceneNode> nodes;
    std::vector<SceneLight> lights;
    std::vector<SceneCamera> cameras;
    std::vector<SceneAnimation> animations;
    std::vector<SceneNumber> numbers;
    // Every file the reader opened for it besides the model file itself
    // (material files, buffers), as absolute paths.
    std::vector<std::string> sourceFiles;
    // What the reader left out of the file and why, a line each, for the
    // viewer to say.
    std::vector<std::string> notes;
    // The names of the file's material variants (glTF's KHR_materials_variants).
    std::vector<std::string> variants;
};

}  // namespace qm
