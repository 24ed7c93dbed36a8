#pragma once

#include "BoundingBox.h"
#include "Math.h"

namespace qm {

// Distance bands of the levels of detail: below 50 full detail, below 100
// and 200 the two simplified levels, beyond that the billboard. Each bound
// belongs to the farther level. Counted rather than branched on, since
// objects in view come in no order of distance.
inline int levelForDistance(float levelDistance)
{
    return 3 - int(levelDistance < 200.0f) - int(levelDistance < 100.0f) - int(levelDistance < 50.0f);
}

// Roughly the distance to the nearest part of the box: from its centre, less
// its largest half extent.
inline float levelDistance(const glm::vec3& center, const glm::vec3& halfExtents, const glm::vec3& eye)
{
    return glm::distance(center, eye) - glm::max(halfExtents.x, glm::max(halfExtents.y, halfExtents.z));
}
inline float levelDistance(const BoundingBox& box, const glm::vec3& eye)
{
    return levelDistance(box.center, box.halfExtents, eye);
}

}  // namespace qm
