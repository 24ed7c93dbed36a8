#pragma once

#include <array>

#include "Math.h"
#include "Plane.h"

namespace qm {

enum MOVE_CAM { FORWARD = 2, BACKWARD = 3, LEFT = 4, RIGHT = 5 };

// The free-fly camera: position and angles (degrees) driven by the input
// commands, its projection, and the exposure and focus values read by the
// post-processing passes.
class Camera {
public:
    Camera();
    virtual ~Camera() = default;

    virtual void move(MOVE_CAM direction);
    virtual void look(float pitchDelta, float yawDelta);
    // Per-frame hook called by the renderer before it draws.
    virtual void frameUpdate() {}

    void updateProjection();
    // The perspective projection whatever `orthographic` says: the sky's,
    // which has no size to draw parallel.
    glm::mat4 perspective() const;
    glm::mat4 getViewMatrix() const;

    void increaseExposure();
    void decreaseExposure();
    void increaseFocus();
    void decreaseFocus();

    // The view frustum in the order near, far, bottom, top, right, left.
    std::array<Plane, 6> frustumPlanes() const;

    glm::mat4 projection;
    float exposure = 3.0f;
    float focusDepth = 20.0f;
    float maxDepth = 75.0f;
    float aspectRatio = 16.0f / 9.0f;
    float fov = 30.0f;
    float nearPlane = 1.0f;
    float farPlane = 300.0f;
    // Parallel lines stay parallel: the view is a box `halfHeight` high
    // above and below its middle, at any distance.
    bool orthographic = false;
    float halfHeight = 1.0f;
    float movementSpeed = 0.1f;
    float mouseSensitivity = 0.1f;
    // The step of keys 3 and 4.
    float focusStep = 1.0f;
    // How much larger than the moor the viewed world is: the distance bands
    // of the levels of detail and the mist stretch by it.
    float distanceScale = 1.0f;
    float pitch = 0.0f;
    float yaw = -90.0f;
    glm::vec3 position{0.0f, 20.0f, 2.0f};
    glm::vec3 front{0.0f, 0.0f, -1.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
};

}  // namespace qm
