#include "VertexJoin.h"

#include <meshoptimizer.h>

#include <vector>

namespace qm {

void joinIdenticalVertices(MeshData& mesh)
{
    if (mesh.indices.empty()) {  // without an index list meshoptimizer would take every vertex as used
        mesh.vertices.clear();
        return;
    }
    std::vector<unsigned int> remap(mesh.vertices.size());
    const std::size_t kept = meshopt_generateVertexRemap(remap.data(), mesh.indices.data(), mesh.indices.size(),
                                                         mesh.vertices.data(), mesh.vertices.size(), sizeof(Vertex));
    std::vector<Vertex> joined(kept);
    meshopt_remapVertexBuffer(joined.data(), mesh.vertices.data(), mesh.vertices.size(), sizeof(Vertex),
                              remap.data());
    meshopt_remapIndexBuffer(mesh.indices.data(), mesh.indices.data(), mesh.indices.size(), remap.data());
    mesh.vertices = std::move(joined);
}

}  // namespace qm
