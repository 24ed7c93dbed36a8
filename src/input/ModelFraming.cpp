#include "ModelFraming.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// The moor's walking scale: the radius of the part of it one views at once.
constexpr float moorRadius = 10.0f;

}  // namespace

Framing frameBox(const BoundingBox& box, float fovDegrees, float aspectRatio)
{
    // The bounding sphere, kept above zero so that a point or an empty model still gets a view.
    const float radius = std::max(glm::length(box.halfExtents), 1e-4f);
    // The narrower of the two view angles decides how far back the sphere fits.
    const float halfVertical = fovDegrees * 0.5f * degreesToRadians;
    const float halfHorizontal = std::atan(std::tan(halfVertical) * aspectRatio);
    const float halfAngle = std::min(halfVertical, halfHorizontal);
    // A sphere fitted into the view leaves the box within it a good margin: come in a little closer.
    const float distance = radius / std::sin(halfAngle) * 0.9f;

    constexpr float yaw = -125.0f;   // from the front right
    constexpr float pitch = -22.0f;  // looking a little down
    const glm::vec3 front(std::cos(yaw * degreesToRadians) * std::cos(pitch * degreesToRadians),
                          std::sin(pitch * degreesToRadians),
                          std::sin(yaw * degreesToRadians) * std::cos(pitch * degreesToRadians));
    Framing framing;
    framing.position = box.center - front * distance;
    framing.yaw = yaw;
    framing.pitch = pitch;
    framing.distanceScale = radius / moorRadius;
    framing.distance = distance;
    return framing;
}

void placeCamera(Camera& camera, const glm::vec3& position, float yaw, float pitch)
{
    camera.position = position;
    camera.yaw = yaw;
    camera.pitch = pitch;
    camera.look(0.0f, 0.0f);  // recomputes the direction vectors from the angles
}

void applyFraming(Camera& camera, const Framing& framing)
{
    const float s = framing.distanceScale;
    placeCamera(camera, framing.position, framing.yaw, framing.pitch);
    camera.distanceScale = s;
    camera.movementSpeed = 0.25f * s;
    camera.focusStep = s;
    camera.nearPlane = 0.05f * s;
    camera.farPlane = 300.0f * s;
    camera.focusDepth = framing.distance;
    camera.maxDepth = framing.distance + 55.0f * s;
    camera.updateProjection();
}

}  // namespace qm
