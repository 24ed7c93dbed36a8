#pragma once

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

// What moves one copy of a deforming mesh this frame, as the GPU reads it:
// a block of matrices. The first names the morph targets to apply, the
// heaviest few: their numbers in its first two columns, their weights in
// the last two (a weight of 0 applies nothing). A skinned mesh's block goes
// on with its palette: a matrix a bone, from the mesh's frame at bind time
// to where the bone takes it, then one for vertices no bone moves.
inline constexpr std::size_t maxActiveMorphTargets = 8;
inline std::size_t deformationBlockSize(std::uint32_t boneCount) { return boneCount > 0 ? boneCount + 2 : 1; }

// One mesh's visible copies this frame: their model-view and normal
// matrices (for billboards, their world matrices and no normal matrices),
// and for a deforming mesh each copy's block, one after the other.
struct MeshDraw {
    const Mesh* mesh = nullptr;
    std::vector<glm::mat4> transforms;
    std::vector<glm::mat3> normalMatrices;
    std::vector<glm::mat4> deformations;
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

// One visible copy of a mesh whose material is drawn forward (it blends, or
// has layers the G-buffer does not keep): drawn on its own, after the
// lighting, in the order of its distance.
struct BlendedDraw {
    const Mesh* mesh = nullptr;
    glm::mat4 modelView{1.0f};
    glm::mat3 normalMatrix{1.0f};
    // The object's centre and the radius of its box, in world space.
    glm::vec3 centre{0.0f};
    float radius = 0.0f;
    // How far in front of the camera its centre lies.
    float depth = 0.0f;
    // Where its deformation block starts in DrawList::blendedDeformations;
    // noBlock for a mesh drawn as stored.
    static constexpr std::uint32_t noBlock = ~0u;
    std::uint32_t firstBlock = noBlock;
};

// Where one light stands and, for a spot light, where it points (world space).
struct LightPlacement {
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f, 0.0f, -1.0f};
};

// One light's visible placements, nearest to the camera first.
struct LightDraw {
    const PointLight* light = nullptr;
    std::vector<LightPlacement> placements;
};

// A model's own light from far away: where its light travels (world space)
// and its colour times its intensity.
struct DirectionalLight {
    glm::vec3 direction{0.0f, -1.0f, 0.0f};
    glm::vec3 colour{0.0f};
};

// One end of an unlit line drawn over the picture (a grid, axes).
struct GuideVertex {
    glm::vec3 position{0.0f};
    glm::vec3 colour{0.0f};
};

// The camera's values a frame is drawn with.
struct FrameCamera {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    // The sky's: in perspective even when the view is orthographic.
    glm::mat4 skyProjection{1.0f};
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
    // The forward-drawn copies, farthest first.
    std::vector<BlendedDraw> blended;
    std::vector<glm::mat4> blendedDeformations;
    // In the lights' order of creation.
    std::vector<LightDraw> lights;
    // At most maxDirectionalLights are drawn.
    std::vector<DirectionalLight> directionalLights;
    static constexpr std::size_t maxDirectionalLights = 4;
    // Lines over the finished picture, their ends in pairs, hidden behind
    // what is nearer.
    std::vector<GuideVertex> guides;
    const Skybox* sky = nullptr;
    const Environment* environment = nullptr;
    float fillLight = 0.0f;
};

}  // namespace qm
