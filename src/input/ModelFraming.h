#pragma once

#include <string>

#include "BoundingBox.h"
#include "Camera.h"

namespace qm {

// A start view for an opened model and the distances that follow its size.
struct Framing {
    glm::vec3 position{0.0f};
    float yaw = 0.0f;
    float pitch = 0.0f;
    // One for the moor: the world size its distance bands, mist, speeds and
    // planes were tuned for. An opened model's size relative to that.
    float distanceScale = 1.0f;
    // The distance from the start place to the model's centre.
    float distance = 0.0f;
    // The vertical field of view it was framed for, in degrees.
    float fovDegrees = 45.0f;
};

// A view the model file holds (one of its cameras), placed in the world.
struct FileView {
    std::string name;
    glm::vec3 position{0.0f};
    // Unit vectors, at right angles.
    glm::vec3 front{0.0f, 0.0f, -1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    // The camera's vertical field of view in degrees; 0 where the file gives none.
    float fovDegrees = 0.0f;
};

// Looks at the box's centre from the front right and a little above, from
// where the whole box is in view and fills most of it.
Framing frameBox(const BoundingBox& box, float fovDegrees, float aspectRatio);

// Puts the camera at the framed start view, with walking speed, near and far
// planes and focus scaled to the model.
void applyFraming(Camera& camera, const Framing& framing);

// Places and turns the camera: angles in degrees, as the mouse turns them.
void placeCamera(Camera& camera, const glm::vec3& position, float yaw, float pitch);

// A reloaded model's camera where `previous` was: its place, its direction,
// its exposure and focus. The rest (near and far planes, speed, distance
// bands) stays the new model's framing.
void keepView(Camera& camera, const Camera& previous);

}  // namespace qm
