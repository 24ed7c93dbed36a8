#include "MeshLOD.h"

namespace qm {

MeshLOD::MeshLOD(std::shared_ptr<Mesh> level0, std::shared_ptr<Mesh> level1, std::shared_ptr<Mesh> level2)
    : levels{std::move(level0), std::move(level1), std::move(level2), nullptr}
{
}

void MeshLOD::computeBoundingBox()
{
    const std::vector<Vertex>& vertices = levels[0]->getVertices();
    if (vertices.empty())
        return;  // no first vertex to start from: the box stays zero
    boundingBox = BoundingBox::empty();
    for (const Vertex& v : vertices)
        boundingBox.grow(v.position);
}

}  // namespace qm
