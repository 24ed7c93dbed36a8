#pragma once

#include <memory>
#include <vector>

#include "SceneObject.h"

namespace qm {

// The objects that fly around every frame: the glimmets and the lights'
// placements, in import order.
class AnimationHandler {
public:
    std::vector<std::shared_ptr<SceneObject>> objects;
};

}  // namespace qm
