#include "Frustum.h"

namespace qm {

FrustumTest boxInFrustum(const glm::vec3& center, const glm::vec3& halfExtents, const std::array<Plane, 6>& planes)
{
    FrustumTest result = FrustumTest::Inside;
    for (const Plane& plane : planes) {
        // Of the eight corners only two decide: the one farthest along the
        // normal (if it is out, all are) and the one farthest against it (if
        // it is in, all are). Each is computed as its corner would be.
        const glm::vec3 side(plane.normal.x >= 0.0f ? 1.0f : -1.0f, plane.normal.y >= 0.0f ? 1.0f : -1.0f,
                             plane.normal.z >= 0.0f ? 1.0f : -1.0f);
        const glm::vec3 farthestIn = center + side * halfExtents;
        if (!plane.contains(farthestIn))
            return FrustumTest::Outside;
        const glm::vec3 farthestOut = center - side * halfExtents;
        if (!plane.contains(farthestOut))
            result = FrustumTest::Intersecting;
    }
    return result;
}

}  // namespace qm
