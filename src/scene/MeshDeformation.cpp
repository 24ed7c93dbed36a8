#include "MeshDeformation.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "SceneData.h"

namespace qm {

namespace {

// The vertex's weights, heaviest first, as 16-bit fractions of their sum.
SkinVertex skinVertex(const std::uint32_t* bones, const float* weights, std::uint32_t boneCount)
{
    std::array<int, 4> order{0, 1, 2, 3};
    const auto usable = [&](int k) { return std::isfinite(weights[k]) && weights[k] > 0.0f && bones[k] < boneCount; };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return (usable(a) ? weights[a] : 0.0f) > (usable(b) ? weights[b] : 0.0f);
    });
    float sum = 0.0f;
    for (int k : order)
        sum += usable(k) ? weights[k] : 0.0f;
    SkinVertex vertex;
    vertex.bones.fill(std::uint16_t(boneCount));
    if (!(sum > 0.0f)) {
        vertex.weights[0] = 65535;  // the mesh's own frame
        return vertex;
    }
    int given = 0;
    for (int slot = 0; slot < 4; ++slot) {
        const int k = order[std::size_t(slot)];
        if (!usable(k))
            break;
        vertex.bones[std::size_t(slot)] = std::uint16_t(bones[k]);
        vertex.weights[std::size_t(slot)] = std::uint16_t(std::lround(weights[k] / sum * 65535.0f));
        given += vertex.weights[std::size_t(slot)];
    }
    // Rounding leaves the sum a step or two off: the heaviest takes the rest.
    vertex.weights[0] = std::uint16_t(int(vertex.weights[0]) + 65535 - given);
    return vertex;
}

}  // namespace

std::shared_ptr<const MeshDeformation> readDeformation(const SceneMesh& mesh, std::string& problem)
{
    const std::size_t count = mesh.vertexCount();
    auto deformation = std::make_shared<MeshDeformation>();
    deformation->vertexCount = std::uint32_t(count);
    const std::size_t bones = mesh.bones.size();
    if (bones > maxBonesPerMesh) {
        problem = "it has " + std::to_string(bones) + " bones, more than " + std::to_string(maxBonesPerMesh);
    } else if (bones > 0 && mesh.boneIndices.size() == 4 * count && mesh.boneWeights.size() == 4 * count) {
        deformation->boneCount = std::uint32_t(bones);
        deformation->skin.resize(count);
        for (std::size_t v = 0; v < count; ++v)
            deformation->skin[v] =
                skinVertex(&mesh.boneIndices[4 * v], &mesh.boneWeights[4 * v], std::uint32_t(bones));
    }
    for (const MorphTarget& target : mesh.morphTargets) {
        // A target of the wrong size moves nothing, and the later ones keep their numbers.
        const bool positions = target.positions.size() == 3 * count;
        const bool normals = target.normals.size() == 3 * count && mesh.normals.size() == 3 * count;
        for (std::size_t v = 0; v < count; ++v) {
            const auto delta = [&](const std::vector<float>& to, const std::vector<float>& from) {
                const glm::vec3 d(to[3 * v] - from[3 * v], to[3 * v + 1] - from[3 * v + 1],
                                  to[3 * v + 2] - from[3 * v + 2]);
                return std::isfinite(d.x) && std::isfinite(d.y) && std::isfinite(d.z) ? d : glm::vec3(0.0f);
            };
            deformation->morphDeltas.push_back(positions ? delta(target.positions, mesh.positions) : glm::vec3(0.0f));
            deformation->morphDeltas.push_back(normals ? delta(target.normals, mesh.normals) : glm::vec3(0.0f));
        }
        ++deformation->morphTargets;
    }
    if (!deformation->skinned() && deformation->morphTargets == 0)
        return nullptr;
    return deformation;
}

}  // namespace qm
