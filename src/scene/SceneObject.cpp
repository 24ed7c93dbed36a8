#include "SceneObject.h"

#include "MeshLOD.h"
#include "PointLight.h"

namespace qm {

std::shared_ptr<Mesh> SceneObject::getMesh(int level) const
{
    return meshLOD ? meshLOD->getLevel(level) : nullptr;
}

void SceneObject::computeBounds()
{
    if (meshLOD) {
        const std::vector<Vertex>& vertices = meshLOD->getLevel(0)->getVertices();
        if (vertices.empty())
            return;
        glm::vec3 lo(model * glm::vec4(vertices.front().position, 1.0f));
        glm::vec3 hi = lo;
        for (const Vertex& v : vertices) {
            const glm::vec3 p(model * glm::vec4(v.position, 1.0f));
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
        boundingBox = BoundingBox::fromMinMax(lo, hi);
    } else if (light) {
        const glm::vec3 r(light->radius);
        boundingBox = BoundingBox::fromMinMax(position - r, position + r);
    }
}

void SceneObject::mergeBounds(const SceneObject& child)
{
    boundingBox = BoundingBox::fromMinMax(glm::min(boundingBox.min, child.boundingBox.min), glm::max(boundingBox.max, child.boundingBox.max));
}

}  // namespace qm
