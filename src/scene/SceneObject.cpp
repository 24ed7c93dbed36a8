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
        boundingBox = BoundingBox::empty();
        for (const Vertex& v : vertices)
            boundingBox.grow(glm::vec3(model * glm::vec4(v.position, 1.0f)));
    } else if (light) {
        const glm::vec3 r(light->radius);
        boundingBox = BoundingBox::fromMinMax(position - r, position + r);
    }
}

void SceneObject::mergeBounds(const SceneObject& child)
{
    boundingBox.grow(child.boundingBox.min, child.boundingBox.max);
}

}  // namespace qm
