#pragma once

#include <array>

#include "BoundingBox.h"
#include "Plane.h"

namespace qm {

enum class FrustumTest { Outside = -1, Intersecting = 0, Inside = 1 };

// Classifies a box by its eight corners against the six planes; a corner on
// a plane counts as in. Conservative: a box near a frustum edge may be
// reported as intersecting although it lies outside.
FrustumTest boxInFrustum(const glm::vec3& center, const glm::vec3& halfExtents, const std::array<Plane, 6>& planes);
inline FrustumTest boxInFrustum(const BoundingBox& box, const std::array<Plane, 6>& planes)
{
    return boxInFrustum(box.center, box.halfExtents, planes);
}

}  // namespace qm
