#include "Scene.h"

#include "ModelMotion.h"

namespace qm {

Scene::Scene() : camera(std::make_shared<Camera>())
{
    camera->fov = 45.0f;
    camera->updateProjection();
    camera->movementSpeed = 0.5f;
    camera->mouseSensitivity = 0.2f;
}

void Scene::buildOctree()
{
    rows.clear();
    std::vector<BoundingBox> boxes;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        SceneObject& object = *objects[i];
        object.row = std::uint32_t(i);
        rows.push_back({object.model, object.boundingBox.center, object.boundingBox.halfExtents, object.position,
                        object.getMeshLOD().get(), object.light.get()});
        boxes.push_back(object.boundingBox);
    }
    if (motion)
        for (const NodePlacement& placement : motion->placements)
            if (placement.object->row != SceneObject::unfiled)
                rows[placement.object->row].deformer = placement.deformer;
    octree.build(boxes);
}

}  // namespace qm
