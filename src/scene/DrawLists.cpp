// The scene's per-frame draw list: culling, level choice and the instance
// data the render passes consume.
#include <algorithm>

#include "AnimationHandler.h"
#include "LevelOfDetail.h"
#include "Mesh.h"
#include "MeshLOD.h"
#include "ModelMotion.h"
#include "PointLight.h"
#include "Scene.h"

#include "Guides.h"

namespace qm {

namespace {

// A new last element of `to`, with the storage of a spare one when there is.
template <class T>
T& appendReusing(std::vector<T>& to, std::vector<T>& spares)
{
    if (spares.empty()) {
        to.emplace_back();
    } else {
        to.push_back(std::move(spares.back()));
        spares.pop_back();
    }
    return to.back();
}

}  // namespace

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

void Scene::updateMovingRows()
{
    motion->pose();
    // Their filed boxes cover the whole clip: only the matrices change.
    for (const NodePlacement& placement : motion->placements) {
        if (placement.object->row == SceneObject::unfiled)
            continue;
        ObjectRow& row = rows[placement.object->row];
        row.model = placement.object->model;
        row.position = placement.object->position;
    }
}

MeshDraw& Scene::batchOf(const Mesh* mesh, std::vector<MeshDraw>& draws)
{
    // A mesh gets its slot when first seen (levels and billboards arrive
    // after the octree is built); a slot is trusted only while it names the mesh.
    if (mesh->drawSlot >= slotMeshes.size() || slotMeshes[mesh->drawSlot] != mesh) {
        mesh->drawSlot = std::uint32_t(slotMeshes.size());
        slotMeshes.push_back(mesh);
        meshBatch.push_back(-1);
    }
    std::int32_t& batch = meshBatch[mesh->drawSlot];
    if (batch < 0) {
        batch = std::int32_t(draws.size());
        appendReusing(draws, spareMeshes).mesh = mesh;
    }
    return draws[std::size_t(batch)];
}

void Scene::recycleDrawList()
{
    for (std::vector<MeshDraw>* draws : {&frame.meshes, &frame.billboards}) {
        for (MeshDraw& draw : *draws) {
            draw.transforms.clear();
            draw.normalMatrices.clear();
            draw.deformations.clear();
            spareMeshes.push_back(std::move(draw));
        }
        draws->clear();
    }
    for (LightDraw& draw : frame.lights) {
        draw.placements.clear();
        spareLights.push_back(std::move(draw));
    }
    frame.lights.clear();
    for (ShaderGroup& program : frame.opaque) {
        for (MaterialGroup& group : program.materials) {
            group.material = nullptr;
            group.meshes.clear();
            spareMaterialGroups.push_back(std::move(group));
        }
        program.shader = nullptr;
        program.materials.clear();
        spareShaderGroups.push_back(std::move(program));
    }
    frame.opaque.clear();
    frame.blended.clear();
    frame.blendedDeformations.clear();
}

const DrawList& Scene::buildDrawList()
{
    camera->frameUpdate();
    if (animationHandler)
        updateAnimatedRows();
    if (motion)
        updateMovingRows();
    octree.query(camera->frustumPlanes(), visibleRows);
    recycleDrawList();
    frame.camera = {camera->getViewMatrix(), camera->projection, camera->perspective(), camera->position,
                    camera->exposure,        camera->focusDepth, camera->maxDepth,       camera->distanceScale};
    frame.sky = skybox.get();
    frame.environment = environment.get();
    frame.fillLight = fillLight;
    frame.directionalLights = directionalLights;
    frame.guides.clear();
    if (guides)
        appendGuideLines(*guides, frame.guides);
    // The rows in view lie scattered over the table: each is asked for a few
    // objects ahead of its turn.
    constexpr std::size_t ahead = 8;
    for (std::size_t k = 0; k < visibleRows.size(); ++k) {
        if (k + ahead < visibleRows.size()) {
            const ObjectRow* next = &rows[visibleRows[k + ahead]];
            __builtin_prefetch(next);
            __builtin_prefetch(reinterpret_cast<const char*>(next) + 64);
        }
        addToDrawList(visibleRows[k]);
    }
    // Animated objects have left their filed boxes behind, so they are added
    // without culling; those already found are not filed twice (that would
    // draw them twice and double their light).
    if (animationHandler) {
        for (const auto& object : animationHandler->objects) {
            if (object->row != SceneObject::unfiled &&
                !std::binary_search(visibleRows.begin(), visibleRows.end(), object->row))
                addToDrawList(object->row);
        }
    }
    for (std::uint32_t m = 0; m < frame.meshes.size(); ++m) {
        const Mesh& mesh = *frame.meshes[m].mesh;
        const std::shared_ptr<Material>& material = mesh.getMaterial();
        const std::shared_ptr<Shader>& shader =
            mesh.deformation && material->deformingShader ? material->deformingShader : material->shader;
        auto program = std::find_if(frame.opaque.begin(), frame.opaque.end(),
                                    [&](const ShaderGroup& group) { return group.shader == shader; });
        ShaderGroup& programGroup =
            program != frame.opaque.end() ? *program : appendReusing(frame.opaque, spareShaderGroups);
        programGroup.shader = shader;
        auto own = std::find_if(programGroup.materials.begin(), programGroup.materials.end(),
                                [&](const MaterialGroup& group) { return group.material == material; });
        MaterialGroup& materialGroup =
            own != programGroup.materials.end() ? *own : appendReusing(programGroup.materials, spareMaterialGroups);
        materialGroup.material = material;
        materialGroup.meshes.push_back(m);
    }
    for (const MeshDraw& draw : frame.meshes)
        meshBatch[draw.mesh->drawSlot] = -1;
    for (const MeshDraw& draw : frame.billboards)
        meshBatch[draw.mesh->drawSlot] = -1;
    for (const LightDraw& draw : frame.lights)
        lightBatch[draw.light->order] = -1;
    std::stable_sort(frame.blended.begin(), frame.blended.end(),
                     [](const BlendedDraw& a, const BlendedDraw& b) { return a.depth > b.depth; });
    std::sort(frame.lights.begin(), frame.lights.end(),
              [](const LightDraw& a, const LightDraw& b) { return a.light->order < b.light->order; });
    const glm::vec3 eye = camera->position;
    for (LightDraw& light : frame.lights) {
        std::sort(light.placements.begin(), light.placements.end(),
                  [&](const LightPlacement& a, const LightPlacement& b) {
                      return glm::distance(a.position, eye) < glm::distance(b.position, eye);
                  });
    }
    return frame;
}

void Scene::addToDrawList(std::uint32_t index)
{
    const ObjectRow& row = rows[index];
    const MeshLOD* chain = row.chain;
    int level =
        levelForDistance(levelDistance(row.center, row.halfExtents, camera->position) / camera->distanceScale);
    if (level < 3) {
        if (const Mesh* mesh = chain ? chain->levels[std::size_t(level)].get() : nullptr) {
            const glm::mat4 modelView = frame.camera.view * row.model;
            const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(modelView)));
            // A deforming mesh's copy brings its block; without a motion to pose it, the mesh is drawn as stored.
            const ModelMotion::Deformer* deformer =
                row.deformer >= 0 && mesh->deformation ? &motion->deformers[std::size_t(row.deformer)] : nullptr;
            if (mesh->getMaterial() && mesh->getMaterial()->drawnForward()) {
                frame.blended.push_back({mesh, modelView, normalMatrix, row.center, glm::length(row.halfExtents),
                                         -(frame.camera.view * glm::vec4(row.center, 1.0f)).z,
                                         deformer ? std::uint32_t(frame.blendedDeformations.size())
                                                  : BlendedDraw::noBlock});
                if (deformer)
                    frame.blendedDeformations.insert(frame.blendedDeformations.end(), deformer->block.begin(),
                                                     deformer->block.end());
            } else {
                MeshDraw& draw = batchOf(mesh, frame.meshes);
                draw.transforms.push_back(modelView);
                draw.normalMatrices.push_back(normalMatrix);
                if (deformer)
                    draw.deformations.insert(draw.deformations.end(), deformer->block.begin(), deformer->block.end());
            }
        } else {
            level = 3;
        }
    }
    if (level == 3) {
        if (const Mesh* billboard = chain ? chain->levels[3].get() : nullptr)
            batchOf(billboard, frame.billboards).transforms.push_back(row.model);
    }
    if (const PointLight* light = row.light) {
        if (light->order >= lightBatch.size())
            lightBatch.resize(light->order + 1, -1);
        std::int32_t& batch = lightBatch[light->order];
        if (batch < 0) {
            batch = std::int32_t(frame.lights.size());
            appendReusing(frame.lights, spareLights).light = light;
        }
        // Only a spot light's direction is read; a flattened node keeps the light's own.
        const glm::vec3 aimed = glm::mat3(row.model) * light->direction;
        const float length = glm::length(aimed);
        frame.lights[std::size_t(batch)].placements.push_back(
            {row.position, length > 0.0f ? aimed / length : light->direction});
    }
}

}  // namespace qm
