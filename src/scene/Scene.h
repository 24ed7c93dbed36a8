#pragma once

#include <memory>

#include "Camera.h"

namespace qm {

// The loaded scene: what the renderer draws and the input commands steer.
class Scene {
public:
    // Creates the one camera, set up for walking the scene.
    Scene();

    std::shared_ptr<Camera> camera;
};

}  // namespace qm
