#include "Mesh.h"

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
}

}  // namespace qm
