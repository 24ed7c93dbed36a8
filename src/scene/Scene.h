#pragma once

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Camera.h"
#include "ModelFraming.h"
#include "Octree.h"
#include "SceneObject.h"
#include "Skybox.h"

namespace qm {

class AnimationHandler;
class Mesh;
class PointLight;
struct Material;
struct Shader;

// This frame's meshes at levels 0 to 2, by program, then by material.
using DeferredGroups =
    std::unordered_map<std::shared_ptr<Shader>,
                       std::unordered_map<std::shared_ptr<Material>, std::unordered_set<std::shared_ptr<Mesh>>>>;

// The loaded scene: its objects, the camera that views it and the sky.
class Scene {
public:
    // Creates the one camera, set up for walking the scene.
    Scene();

    void addObject(std::shared_ptr<SceneObject> object) { objects.push_back(std::move(object)); }
    void setSkybox(Skybox newSkybox) { skybox = std::move(newSkybox); }
    void setAnimationHandler(std::shared_ptr<AnimationHandler> handler) { animationHandler = std::move(handler); }

    // Files the octree from `objects`; once, after their boxes are final.
    void buildOctree() { octree.build(objects); }

    // Rebuilds this frame's draw lists: the objects in view plus every
    // animated one, each at the level of detail its distance asks for.
    void buildDrawLists();
    // Files one object: its mesh's instance matrices and its light's position.
    void addToDrawLists(const SceneObject& object);
    // Empties last frame's lists, keeping their storage.
    void resetDrawLists();

    // Every object that carries a mesh or a light, in import (depth-first) order.
    std::vector<std::shared_ptr<SceneObject>> objects;
    Octree octree;
    std::shared_ptr<Camera> camera;
    DeferredGroups deferredGroups;
    std::unordered_set<std::shared_ptr<PointLight>> visibleLights;
    std::unordered_set<std::shared_ptr<Mesh>> billboards;
    std::unordered_set<std::shared_ptr<Mesh>> nearMeshes;
    Skybox skybox;
    std::shared_ptr<AnimationHandler> animationHandler;
    // A soft light from the side the moon does not reach; the moor has none.
    float fillLight = 0.0f;
    // An opened model's framed view, which the Home key returns to.
    std::optional<Framing> startView;

private:
    // The camera's view matrix for this frame's build.
    glm::mat4 frameView{1.0f};
};

}  // namespace qm
