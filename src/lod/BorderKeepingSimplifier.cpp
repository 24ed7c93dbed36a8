#include "BorderKeepingSimplifier.h"

#include <meshoptimizer.h>

#include <cmath>
#include <limits>

namespace qm {

std::shared_ptr<Mesh> simplifyKeepingBorders(const std::shared_ptr<Mesh>& original, float triangleShare)
{
    const std::vector<Vertex>& vertices = original->getVertices();
    const std::vector<std::uint32_t>& indices = original->getIndices();
    const std::size_t target = std::size_t(std::lround(double(indices.size() / 3) * triangleShare)) * 3;
    std::vector<std::uint32_t> simplified(indices.size());
    // An error bound of the whole extent: the triangle count is the goal, the locked borders the limit.
    simplified.resize(meshopt_simplify(simplified.data(), indices.data(), indices.size(),
                                       &vertices.front().position.x, vertices.size(), sizeof(Vertex), target,
                                       1.0f, meshopt_SimplifyLockBorder, nullptr));
    if (simplified.empty() || simplified.size() == indices.size())
        return original;

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
    return std::make_shared<Mesh>(std::move(kept), std::move(simplified), original->getMaterial());
}

}  // namespace qm
