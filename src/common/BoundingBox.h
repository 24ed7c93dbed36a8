#pragma once

#include <limits>

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
    // A box that holds nothing yet: growing it by anything gives that thing's box.
    static BoundingBox empty()
    {
        const glm::vec3 far(std::numeric_limits<float>::max());
        return {glm::vec3(0.0f), glm::vec3(0.0f), far, -far};
    }
    bool isEmpty() const { return min.x > max.x; }
    // Grown to hold the box from `lo` to `hi` (or one point) too.
    void grow(const glm::vec3& lo, const glm::vec3& hi) { *this = fromMinMax(glm::min(min, lo), glm::max(max, hi)); }
    void grow(const glm::vec3& point) { grow(point, point); }
};

}  // namespace qm
