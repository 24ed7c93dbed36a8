#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Math.h"

namespace qm {

struct SceneMesh;

// A vertex's bones and their weights, heaviest first: weights in 1/65535
// steps that add up to 65535. A vertex no bone moves names the bone past
// the mesh's last, which stands for the mesh's own frame.
struct SkinVertex {
    std::array<std::uint16_t, 4> bones{};
    std::array<std::uint16_t, 4> weights{};
};
static_assert(sizeof(SkinVertex) == 16, "the skin buffer layout is 16 bytes per vertex");

// The most bones one mesh is skinned with: a mesh with more is drawn in the
// pose its vertices were stored in. Character rigs have 20 to 200.
inline constexpr std::uint32_t maxBonesPerMesh = 1024;

// How a mesh's vertices move within its object, in the mesh's vertex order:
// a skin and morph targets, either of which may be absent. Shared by the
// mesh's levels of detail, which keep its vertices (see LevelOfDetailBuild).
struct MeshDeformation {
    std::uint32_t vertexCount = 0;
    // Zero without a skin.
    std::uint32_t boneCount = 0;
    std::vector<SkinVertex> skin;
    std::uint32_t morphTargets = 0;
    // For each target, for each vertex: the change of its position, then of its normal.
    std::vector<glm::vec3> morphDeltas;

    bool skinned() const { return boneCount > 0; }
};

// The deformation of a file's mesh; none when nothing moves its vertices.
// A skin of more than maxBonesPerMesh bones is dropped with a reason in
// `problem`; the morph targets stay.
std::shared_ptr<const MeshDeformation> readDeformation(const SceneMesh& mesh, std::string& problem);

}  // namespace qm
