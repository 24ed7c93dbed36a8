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
    glm::vec3 lo = vertices.front().position;
    glm::vec3 hi = lo;
    for (const Vertex& v : vertices) {
        lo = glm::min(lo, v.position);
        hi = glm::max(hi, v.position);
    }
    boundingBox = BoundingBox::fromMinMax(lo, hi);
}

}  // namespace qm
