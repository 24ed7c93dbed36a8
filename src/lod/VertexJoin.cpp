#include "VertexJoin.h"

#include <meshoptimizer.h>

#include <vector>

namespace qm {

std::vector<Vertex> joinIdenticalVertices(std::span<const Vertex> vertices, std::span<std::uint32_t> indices)
{
    if (indices.empty())  // without an index list meshoptimizer would take every vertex as used
        return {};
    std::vector<unsigned int> remap(vertices.size());
    const std::size_t kept = meshopt_generateVertexRemap(remap.data(), indices.data(), indices.size(),
                                                         vertices.data(), vertices.size(), sizeof(Vertex));
    std::vector<Vertex> joined(kept);
    meshopt_remapVertexBuffer(joined.data(), vertices.data(), vertices.size(), sizeof(Vertex), remap.data());
    meshopt_remapIndexBuffer(indices.data(), indices.data(), indices.size(), remap.data());
    return joined;
}

}  // namespace qm
