// The scene's per-frame draw-list build: culling, level choice and the
// instance data the render passes consume.
#include <algorithm>

#include "AnimationHandler.h"
#include "LevelOfDetail.h"
#include "Mesh.h"
#include "MeshLOD.h"
#include "PointLight.h"
#include "Scene.h"

namespace qm {

void Scene::updateAnimatedRows()
{
    for (const auto& object : animationHandler->objects) {
        if (object->row == SceneObject::unfiled)
            continue;
        ObjectRow& row = rows[object->row];
        row.model = object->model;
        row.center = object->boundingBox.center;
        row.halfExtents = object->boundingBox.halfExtents;
        row.position = object->position;
        octree.move(object->row, object->boundingBox);
    }
}

void Scene::buildDrawLists()
{
    if (animationHandler)
        updateAnimatedRows();
    octree.query(camera->frustumPlanes(), visibleRows);
    resetDrawLists();
    frameView = camera->getViewMatrix();
    // The rows in view lie scattered over the table: each is asked for a few
    // objects ahead of its turn.
    constexpr std::size_t ahead = 8;
    for (std::size_t k = 0; k < visibleRows.size(); ++k) {
        if (k + ahead < visibleRows.size()) {
            const ObjectRow* next = &rows[visibleRows[k + ahead]];
            __builtin_prefetch(next);
            __builtin_prefetch(reinterpret_cast<const char*>(next) + 64);
        }
        addToDrawLists(visibleRows[k]);
    }
    // Animated objects have left their filed boxes behind, so they are added
    // without culling; those already found are not filed twice (that would
    // draw them twice and double their light).
    if (animationHandler) {
        for (const auto& object : animationHandler->objects) {
            if (object->row != SceneObject::unfiled &&
                !std::binary_search(visibleRows.begin(), visibleRows.end(), object->row))
                addToDrawLists(object->row);
        }
    }
    for (Mesh* mesh : nearMeshes) {
        const std::shared_ptr<Material>& material = mesh->getMaterial();
        auto program = std::find_if(deferredGroups.begin(), deferredGroups.end(),
                                    [&](const ShaderGroup& group) { return group.shader == material->shader; });
        if (program == deferredGroups.end())
            program = deferredGroups.insert(deferredGroups.end(), {material->shader, {}});
        auto own = std::find_if(program->materials.begin(), program->materials.end(),
                                [&](const MaterialGroup& group) { return group.material == material; });
        if (own == program->materials.end())
            own = program->materials.insert(program->materials.end(), {material, {}});
        own->meshes.push_back(mesh);
    }
    std::stable_sort(blended.begin(), blended.end(),
                     [](const BlendedDraw& a, const BlendedDraw& b) { return a.depth > b.depth; });
    std::sort(visibleLights.begin(), visibleLights.end(),
              [](const PointLight* a, const PointLight* b) { return a->order < b->order; });
    const glm::vec3 eye = camera->position;
    for (PointLight* light : visibleLights) {
        std::sort(light->visiblePositions.begin(), light->visiblePositions.end(),
                  [&](const glm::vec3& a, const glm::vec3& b) { return glm::distance(a, eye) < glm::distance(b, eye); });
    }
}

void Scene::addToDrawLists(std::uint32_t index)
{
    const ObjectRow& row = rows[index];
    const MeshLOD* chain = row.chain;
    int level =
        levelForDistance(levelDistance(row.center, row.halfExtents, camera->position) / camera->distanceScale);
    // A mesh's instance list is empty until its first object of the frame.
    if (level < 3) {
        Mesh* mesh = chain ? chain->levels[std::size_t(level)].get() : nullptr;
        if (mesh && mesh->getMaterial() && mesh->getMaterial()->coverage == Coverage::Blend) {
            const glm::mat4 modelView = frameView * row.model;
            const glm::vec3 centre = row.center;
            blended.push_back({mesh, modelView, glm::transpose(glm::inverse(glm::mat3(modelView))), centre,
                               glm::length(row.halfExtents), -(frameView * glm::vec4(centre, 1.0f)).z});
        } else if (mesh) {
            if (mesh->instanceTransforms.empty())
                nearMeshes.push_back(mesh);
            const glm::mat4 modelView = frameView * row.model;
            mesh->instanceTransforms.push_back(modelView);
            mesh->instanceNormalMatrices.push_back(glm::transpose(glm::inverse(glm::mat3(modelView))));
        } else {
            level = 3;
        }
    }
    if (level == 3) {
        if (Mesh* billboard = chain ? chain->levels[3].get() : nullptr) {
            if (billboard->instanceTransforms.empty())
                billboards.push_back(billboard);
            billboard->instanceTransforms.push_back(row.model);
            billboard->instanceNormalMatrices.push_back(glm::mat3(row.model));
        }
    }
    if (PointLight* light = row.light) {
        if (light->visiblePositions.empty())
            visibleLights.push_back(light);
        light->visiblePositions.push_back(row.position);
    }
}

void Scene::resetDrawLists()
{
    for (Mesh* mesh : nearMeshes) {
        mesh->instanceTransforms.clear();
        mesh->instanceNormalMatrices.clear();
    }
    nearMeshes.clear();
    for (PointLight* light : visibleLights)
        light->visiblePositions.clear();
    visibleLights.clear();
    for (Mesh* mesh : billboards) {
        mesh->instanceTransforms.clear();
        mesh->instanceNormalMatrices.clear();
    }
    billboards.clear();
    deferredGroups.clear();
    blended.clear();
}

}  // namespace qm
