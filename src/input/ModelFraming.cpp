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
    constexpr float yaw = -125.0f;   // from the front right
    constexpr float pitch = -22.0f;  // looking a little down
    Camera view;
    placeCamera(view, glm::vec3(0.0f), yaw, pitch);

    // The nearest place on the view line from which every corner of the box
    // lies within this share of the view's half width and half height.
    constexpr float fill = 0.85f;
    const float tanVertical = std::tan(fovDegrees * 0.5f * degreesToRadians) * fill;
    const float tanHorizontal = tanVertical * aspectRatio;
    // Kept above zero, so that a point or an empty model still gets a view.
    const float radius = std::max(glm::length(box.halfExtents), 1e-4f);
    float distance = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 offset((corner & 1 ? 1.0f : -1.0f) * box.halfExtents.x,
                               (corner & 2 ? 1.0f : -1.0f) * box.halfExtents.y,
                               (corner & 4 ? 1.0f : -1.0f) * box.halfExtents.z);
        // The corner's depth is the distance plus its offset along the view.
        const float along = glm::dot(offset, view.front);
        distance = std::max({distance, std::abs(glm::dot(offset, view.right)) / tanHorizontal - along,
                             std::abs(glm::dot(offset, view.up)) / tanVertical - along});
    }
    distance = std::max(distance, radius * 1.5f);  // never inside the model's sphere

    Framing framing;
    framing.position = box.center - view.front * distance;
    framing.yaw = yaw;
    framing.pitch = pitch;
    framing.distanceScale = radius / moorRadius;
    framing.distance = distance;
    framing.fovDegrees = fovDegrees;
    return framing;
}

void placeCamera(Camera& camera, const glm::vec3& position, float yaw, float pitch)
{
    camera.position = position;
    camera.yaw = yaw;
    camera.pitch = pitch;
    camera.look(0.0f, 0.0f);  // recomputes the direction vectors from the angles
}

void keepView(Camera& camera, const Camera& previous)
{
    placeCamera(camera, previous.position, previous.yaw, previous.pitch);
    camera.exposure = previous.exposure;
    camera.focusDepth = previous.focusDepth;
    camera.maxDepth = previous.maxDepth;
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
