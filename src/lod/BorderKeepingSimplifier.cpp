#include "BorderKeepingSimplifier.h"

#include <meshoptimizer.h>

#include <cmath>
#include <vector>

#include "VertexJoin.h"

namespace qm {

std::vector<std::uint32_t> simplifyIndicesKeepingBorders(std::span<const Vertex> vertices,
                                                         std::span<const std::uint32_t> indices, float triangleShare)
{
    const std::size_t target = std::size_t(std::lround(double(indices.size() / 3) * triangleShare)) * 3;
    std::vector<std::uint32_t> simplified(indices.size());
    // An error bound of the whole extent: the triangle count is the goal, the locked borders the limit.
    simplified.resize(meshopt_simplify(simplified.data(), indices.data(), indices.size(),
                                       &vertices.front().position.x, vertices.size(), sizeof(Vertex), target,
                                       1.0f, meshopt_SimplifyLockBorder, nullptr));
    if (simplified.size() == indices.size())
        return {};
    // A level is held until it is uploaded: no room beyond its size (for
    // 8 million triangles, level 2 would hold 70 MB of room).
    simplified.shrink_to_fit();
    return simplified;
}

std::optional<MeshData> simplifyKeepingBorders(std::span<const Vertex> vertices,
                                               std::span<const std::uint32_t> indices, float triangleShare)
{
    std::vector<std::uint32_t> simplified = simplifyIndicesKeepingBorders(vertices, indices, triangleShare);
    if (simplified.empty())
        return std::nullopt;

    // Keep only the vertices still used, in the order of their first use.
    std::vector<Vertex> kept = joinIdenticalVertices(vertices, simplified);
    return MeshData{std::move(kept), std::move(simplified)};
}

}  // namespace qm
