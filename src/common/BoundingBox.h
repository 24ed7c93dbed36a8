#pragma once

#include "Math.h"

namespace qm {

// Axis-aligned box. The four fields are redundant on purpose: readers pick
// whichever form their test needs without recomputing it every frame.
struct BoundingBox {
    glm::vec3 center{0.0f};
    glm::vec3 halfExtents{0.0f};
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};

    static BoundingBox fromMinMax(const glm::vec3& min, const glm::vec3& max)
    {
        return {(min + max) * 0.5f, (max - min) * 0.5f, min, max};
    }
};

}  // namespace qm
