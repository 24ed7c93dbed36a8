#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Math.h"

namespace qm {

class Mesh;
class PointLight;
struct Environment;
struct Material;
struct Shader;
struct Skybox;

// The morph targets a mesh is drawn with: the heaviest few of its targets
// with their weights this frame.
inline constexpr std::size_t maxActiveMorphTargets = 8;
struct MorphWeights {
    std::int32_t count = 0;
    std::array<std::int32_t, maxActiveMorphTargets> targets{};
    std::array<float, maxActiveMorphTargets> weights{};
};

// One mesh's visible copies this frame: their model-view and normal
// matrices (for billboards, their world matrices and no normal matrices).
// A skinned mesh's copies bring their bone palettes, one after the other,
// each the mesh's bone count plus one (its own frame) long; a morphing
// mesh's copies share the weights of the first.
struct MeshDraw {
    const Mesh* mesh = nullptr;
    std::vector<glm::mat4> transforms;
    std::vector<glm::mat3> normalMatrices;
    std::vector<glm::mat4> bones;
    MorphWeights morph;
};

// The opaque and masked meshes by program, then by material, each in the
// order the objects first asked for it; meshes by their place in
// DrawList::meshes.
struct MaterialGroup {
    std::shared_ptr<Material> material;
    std::vector<std::uint32_t> meshes;
};
struct ShaderGroup {
    std::shared_ptr<Shader> shader;
    std::vector<MaterialGroup> materials;
};

// One visible copy of a mesh whose material blends: drawn on its own, after
// the lighting, in the order of its distance.
struct BlendedDraw {
    const Mesh* mesh = nullptr;
    glm::mat4 modelView{1.0f};
    glm::mat3 normalMatrix{1.0f};
    // The object's centre and the radius of its box, in world space.
    glm::vec3 centre{0.0f};
    float radius = 0.0f;
    // How far in front of the camera its centre lies.
    float depth = 0.0f;
    // Where its bone palette starts in DrawList::blendedBones; noBones for
    // a mesh drawn unskinned.
    static constexpr std::uint32_t noBones = ~0u;
    std::uint32_t firstBone = noBones;
    MorphWeights morph;
};

// One light's visible placements, nearest to the camera first.
struct LightDraw {
    const PointLight* light = nullptr;
    std::vector<glm::vec3> positions;
};

// The camera's values a frame is drawn with.
struct FrameCamera {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::vec3 position{0.0f};
    float exposure = 0.0f;
    float focusDepth = 0.0f;
    float maxDepth = 0.0f;
    float distanceScale = 1.0f;
};

// Everything one frame draws, as the scene hands it to the renderer: plain
// values and pointers to the scene's shared assets (meshes, materials,
// lights), which keep no per-frame state of their own. Rebuilt every frame.
struct DrawList {
    FrameCamera camera;
    std::vector<MeshDraw> meshes;
    std::vector<ShaderGroup> opaque;
    std::vector<MeshDraw> billboards;
    // Farthest first.
    std::vector<BlendedDraw> blended;
    std::vector<glm::mat4> blendedBones;
    // In the lights' order of creation.
    std::vector<LightDraw> lights;
    const Skybox* sky = nullptr;
    const Environment* environment = nullptr;
    float fillLight = 0.0f;
};

}  // namespace qm
