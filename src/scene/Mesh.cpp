#include "Mesh.h"

#include "MeshDeformation.h"

namespace qm {

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<std::uint32_t> indices, std::shared_ptr<Material> material,
           Primitive primitive)
    : indices(std::move(indices)), vertices(std::move(vertices)), material(std::move(material)), kind(primitive)
{
}

void Mesh::releaseCpuData()
{
    std::vector<Vertex>().swap(vertices);
    std::vector<std::uint32_t>().swap(indices);
    // The draw lists still ask what deforms the mesh, not how: its counts
    // stay, its arrays (a face rig's targets run to tens of megabytes) go.
    if (deformation)
        deformation = std::make_shared<const MeshDeformation>(MeshDeformation{
            deformation->vertexCount, deformation->boneCount, {}, deformation->morphTargets, {}});
}

}  // namespace qm
