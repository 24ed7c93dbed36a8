// The scene's per-frame draw-list build: culling, level choice and the
// instance data the render passes consume.
#include <algorithm>

#include "AnimationHandler.h"
#include "LevelOfDetail.h"
#include "Mesh.h"
#include "PointLight.h"
#include "Scene.h"

namespace qm {

void Scene::buildDrawLists()
{
    const std::vector<SceneObject*> visible = octree.query(camera->frustumPlanes());
    resetDrawLists();
    frameView = camera->getViewMatrix();
    for (SceneObject* object : visible)
        addToDrawLists(*object);
    // Animated objects have left their filed boxes behind, so they are added
    // without culling; those already found are not filed twice (that would
    // draw them twice and double their light).
    if (animationHandler) {
        for (const auto& object : animationHandler->objects) {
            if (!std::binary_search(visible.begin(), visible.end(), object.get()))
                addToDrawLists(*object);
        }
    }
    const glm::vec3 eye = camera->position;
    for (const auto& light : visibleLights) {
        std::sort(light->visiblePositions.begin(), light->visiblePositions.end(),
                  [&](const glm::vec3& a, const glm::vec3& b) { return glm::distance(a, eye) < glm::distance(b, eye); });
    }
}

void Scene::addToDrawLists(const SceneObject& object)
{
    int level = levelForDistance(levelDistance(object.boundingBox, camera->position) / camera->distanceScale);
    if (level < 3) {
        if (const std::shared_ptr<Mesh> mesh = object.getMesh(level)) {
            nearMeshes.insert(mesh);
            deferredGroups[mesh->getMaterial()->shader][mesh->getMaterial()].insert(mesh);
            const glm::mat4 modelView = frameView * object.model;
            mesh->instanceTransforms.push_back(modelView);
            mesh->instanceNormalMatrices.push_back(glm::transpose(glm::inverse(glm::mat3(modelView))));
        } else {
            level = 3;
        }
    }
    if (level == 3) {
        if (const std::shared_ptr<Mesh> billboard = object.getMesh(3)) {
            billboards.insert(billboard);
            billboard->instanceTransforms.push_back(object.model);
            billboard->instanceNormalMatrices.push_back(glm::mat3(object.model));
        }
    }
    if (object.light) {
        object.light->visiblePositions.push_back(object.position);
        visibleLights.insert(object.light);
    }
}

void Scene::resetDrawLists()
{
    for (const auto& mesh : nearMeshes) {
        mesh->instanceTransforms.clear();
        mesh->instanceNormalMatrices.clear();
    }
    nearMeshes.clear();
    for (const auto& light : visibleLights)
        light->visiblePositions.clear();
    visibleLights.clear();
    for (const auto& mesh : billboards) {
        mesh->instanceTransforms.clear();
        mesh->instanceNormalMatrices.clear();
    }
    billboards.clear();
    deferredGroups.clear();
}

}  // namespace qm
