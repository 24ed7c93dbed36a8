#include "BorderKeepingSimplifier.h"

#include <meshoptimizer.h>

#include <cmath>
#include <limits>
#include <vector>

namespace qm {

std::optional<MeshData> simplifyKeepingBorders(std::span<const Vertex> vertices,
                                               std::span<const std::uint32_t> indices, float triangleShare)
{    const std::size_t target = std::size_t(std::lround(double(indices.size() / 3) * triangleShare)) * 3;
    std::vector<std::uint32_t> simplified(indices.size());
    // An error bound of the whole extent: the triangle count is the goal, the locked borders the limit.
    simplified.resize(meshopt_simplify(simplified.data(), indices.data(), indices.size(),
                                       &vertices.front().position.x, vertices.size(), sizeof(Vertex), target,
                                       1.0f, meshopt_SimplifyLockBorder, nullptr));
    if (simplified.empty() || simplified.size() == indices.size())
        return std::nullopt;

    // Keep only the vertices still used, in the order of their first use.
    std::vector<std::uint32_t> remap(vertices.size(), std::numeric_limits<std::uint32_t>::max());
    std::vector<Vertex> kept;
    for (std::uint32_t& index : simplified) {
        if (remap[index] == std::numeric_limits<std::uint32_t>::max()) {
            remap[index] = std::uint32_t(kept.size());
            kept.push_back(vertices[index]);
        }
        index = remap[index];
    }
    return MeshData{std::move(kept), std::move(simplified)};
}

}  // namespace qm
