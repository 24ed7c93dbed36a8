#pragma once

#include <memory>
#include <vector>

#include "Camera.h"
#include "SceneObject.h"
#include "Skybox.h"

namespace qm {

class AnimationHandler;

// The loaded scene: its objects, the camera that views it and the sky.
class Scene {
public:
    // Creates the one camera, set up for walking the scene.
    Scene();

    void addObject(std::shared_ptr<SceneObject> object) { objects.push_back(std::move(object)); }
    void setSkybox(const Skybox& newSkybox) { skybox = newSkybox; }
    void setAnimationHandler(std::shared_ptr<AnimationHandler> handler) { animationHandler = std::move(handler); }

    // Every object that carries a mesh or a light, in import (depth-first) order.
    std::vector<std::shared_ptr<SceneObject>> objects;
    std::shared_ptr<Camera> camera;
    Skybox skybox;
    std::shared_ptr<AnimationHandler> animationHandler;
};

}  // namespace qm
