#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Camera.h"
#include "ModelFraming.h"
#include "Octree.h"
#include "SceneObject.h"

namespace qm {

class AnimationHandler;
class Mesh;
class MeshLOD;
class PointLight;
struct Material;
struct Shader;
struct Skybox;
struct Environment;

// This frame's meshes at levels 0 to 2, by program, then by material, each
// in the order the objects first asked for it.
struct MaterialGroup {
    std::shared_ptr<Material> material;
    std::vector<Mesh*> meshes;
};
struct ShaderGroup {
    std::shared_ptr<Shader> shader;
    std::vector<MaterialGroup> materials;
};
using DeferredGroups = std::vector<ShaderGroup>;

// One visible copy of a mesh whose material blends: drawn on its own, after
// the lighting, in the order of its distance.
struct BlendedDraw {
    const Mesh* mesh = nullptr;
    glm::mat4 modelView{1.0f};
    glm::mat3 normalMatrix{1.0f};
    // The object's centre and the radius of its box, in world space.
    glm::vec3 centre{0.0f};
    float radius = 0.0f;
    // How far in front of the camera its centre lies.
    float depth = 0.0f;
};

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
    // once, after their boxes are final.
    void buildOctree();

    // Rebuilds this frame's draw lists: the objects in view plus every
    // animated one, each at the level of detail its distance asks for. The
    // lists follow the objects' order, the lights their order of creation.
    void buildDrawLists();
    // Empties last frame's lists, keeping their storage.
    void resetDrawLists();

    // Every object that carries a mesh or a light, in import (depth-first) order.
    std::vector<std::shared_ptr<SceneObject>> objects;
    std::vector<ObjectRow> rows;
    Octree octree;
    std::shared_ptr<Camera> camera;
    DeferredGroups deferredGroups;
    std::vector<PointLight*> visibleLights;
    std::vector<Mesh*> billboards;
    std::vector<Mesh*> nearMeshes;
    // This frame's blended copies, farthest first.
    std::vector<BlendedDraw> blended;
    // The renderer's sky; a scene without one is drawn without a sky.
    std::shared_ptr<Skybox> skybox;
    // What physically based surfaces reflect; a scene without one has none of them.
    std::shared_ptr<Environment> environment;
    std::shared_ptr<AnimationHandler> animationHandler;
    // A soft light from the side the moon does not reach; the moor has none.
    float fillLight = 0.0f;
    // An opened model's framed view, which the Home key returns to.
    std::optional<Framing> startView;

private:
    // Files one object: its mesh's instance matrices and its light's position.
    void addToDrawLists(std::uint32_t row);
    // The animated objects' rows, brought up to date with where they are now.
    void updateAnimatedRows();

    // The camera's view matrix for this frame's build.
    glm::mat4 frameView{1.0f};
    // This frame's objects in view, by row.
    std::vector<std::uint32_t> visibleRows;
};

}  // namespace qm
