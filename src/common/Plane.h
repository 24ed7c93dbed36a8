#pragma once

#include "Math.h"

namespace qm {

// A plane a·x + b·y + c·z + d = 0 whose unit normal (a, b, c) points to the
// inner side; a point on the plane counts as inside.
struct Plane {
    glm::vec3 normal{0.0f};
    float d = 0.0f;

    float signedDistance(const glm::vec3& p) const { return glm::dot(normal, p) + d; }
    bool contains(const glm::vec3& p) const { return signedDistance(p) >= 0.0f; }
};

}  // namespace qm
