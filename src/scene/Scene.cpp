#include "Scene.h"

namespace qm {

Scene::Scene() : camera(std::make_shared<Camera>())
{
    camera->fov = 45.0f;
    camera->updateProjection();
    camera->movementSpeed = 0.5f;
    camera->mouseSensitivity = 0.2f;
}

}  // namespace qm
