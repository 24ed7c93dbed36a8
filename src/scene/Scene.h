#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Camera.h"
#include "DrawList.h"
#include "Guides.h"
#include "MaterialVariants.h"
#include "ModelFraming.h"
#include "ModelSummary.h"
#include "Octree.h"
#include "SceneObject.h"

namespace qm {

class AnimationHandler;
class Mesh;
class ModelMotion;
class MeshLOD;
class PointLight;
struct Material;
struct Shader;
struct Skybox;
struct Environment;

// What the draw lists read of one object, in two cache lines; the scene
// keeps them in the order of its objects, so that a frame walks one array
// instead of the heap.
struct alignas(64) ObjectRow {
    glm::mat4 model{1.0f};
    glm::vec3 center{0.0f};
    glm::vec3 halfExtents{0.0f};
    glm::vec3 position{0.0f};
    const MeshLOD* chain = nullptr;
    PointLight* light = nullptr;
    // Its mesh's deformer in the scene's motion, or -1.
    std::int32_t deformer = -1;
};

// The loaded scene: its objects, the camera that views it and the sky.
class Scene {
public:
    // Creates the one camera, set up for walking the scene.
    Scene();

    void addObject(std::shared_ptr<SceneObject> object) { objects.push_back(std::move(object)); }
    void setSkybox(std::shared_ptr<Skybox> newSkybox) { skybox = std::move(newSkybox); }
    void setAnimationHandler(std::shared_ptr<AnimationHandler> handler) { animationHandler = std::move(handler); }

    // Numbers the objects, copies them into their rows and files the octree;
    // once, after their boxes are final (a moving object's covering its clips).
    void buildOctree();

    // This frame's draw list, from the camera (moved by its commands
    // first) and the motion's pose at its clock: the objects in view plus
    // every glimmet and moor light, each at the level of detail its
    // distance asks for. The meshes follow the objects' order, the lights
    // their order of creation. Valid until the next call.
    const DrawList& buildDrawList();

    // Every object that carries a mesh or a light, in import (depth-first) order.
    std::vector<std::shared_ptr<SceneObject>> objects;
    std::vector<ObjectRow> rows;
    Octree octree;
    std::shared_ptr<Camera> camera;
    // The renderer's sky; a scene without one is drawn without a sky.
    std::shared_ptr<Skybox> skybox;
    // What physically based surfaces reflect; a scene without one has none of them.
    std::shared_ptr<Environment> environment;
    std::shared_ptr<AnimationHandler> animationHandler;
    // A user's file's own clips, set before the octree is built; none for
    // the moor and for files that do not move.
    std::shared_ptr<ModelMotion> motion;
    // A soft light from the side the moon does not reach; the moor has none.
    float fillLight = 0.0f;
    // An opened model's own directional lights, aimed as their nodes stood
    // when it was opened.
    std::vector<DirectionalLight> directionalLights;
    // An opened model's framed view, which the Home key returns to.
    std::optional<Framing> startView;
    // The views of an opened model's own cameras, which C steps through.
    std::vector<FileView> fileViews;
    // An opened model's material variants, which V steps through.
    MaterialVariants variants;
    // An opened model's grid and axes, which the moor has not.
    std::optional<Guides> guides;
    // An opened model's numbers, for the information panel.
    std::optional<ModelSummary> summary;
    // The files it was built from besides the model file (what the file
    // refers to, its pictures), as absolute paths: a change to one calls
    // for a reload.
    std::vector<std::string> sourceFiles;

private:
    // Files one object: its mesh's instance matrices and its light's position.
    void addToDrawList(std::uint32_t row);
    // The animated objects' rows, brought up to date with where they are now.
    void updateAnimatedRows();
    // The rows of the objects the motion places, posed at its clock.
    void updateMovingRows();
    // The batch of a mesh in `draws` for this frame, made on its first copy.
    MeshDraw& batchOf(const Mesh* mesh, std::vector<MeshDraw>& draws);
    // Empties last frame's list; its batches' storage waits for reuse.
    void recycleDrawList();

    DrawList frame;
    // Last frames' batches and groups, emptied, their storage kept for reuse.
    std::vector<MeshDraw> spareMeshes;
    std::vector<LightDraw> spareLights;
    std::vector<ShaderGroup> spareShaderGroups;
    std::vector<MaterialGroup> spareMaterialGroups;
    // This frame's objects in view, by row.
    std::vector<std::uint32_t> visibleRows;
    // Each mesh's batch this frame (or -1), by the mesh's draw slot, and
    // each light's, by its order; reset after every build.
    std::vector<const Mesh*> slotMeshes;
    std::vector<std::int32_t> meshBatch;
    std::vector<std::int32_t> lightBatch;
};

}  // namespace qm
