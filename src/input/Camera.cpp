#include "Camera.h"

#include <cmath>

namespace qm {

Camera::Camera()
{
    updateProjection();
}

void Camera::updateProjection()
{
    projection = orthographic ? glm::ortho(-halfHeight * aspectRatio, halfHeight * aspectRatio, -halfHeight,
                                           halfHeight, nearPlane, farPlane)
                              : perspective();
}

glm::mat4 Camera::perspective() const
{
    return glm::perspective(fov * degreesToRadians, aspectRatio, nearPlane, farPlane);
}

glm::mat4 Camera::getViewMatrix() const
{
    return glm::lookAt(position, position + front, up);
}

void Camera::move(MOVE_CAM direction)
{
    switch (direction) {
    case FORWARD: position += front * movementSpeed; break;
    case BACKWARD: position -= front * movementSpeed; break;
    case LEFT: position -= right * movementSpeed; break;
    case RIGHT: position += right * movementSpeed; break;
    }
}

void Camera::look(float pitchDelta, float yawDelta)
{
    yaw += mouseSensitivity * yawDelta;
    pitch += mouseSensitivity * pitchDelta;

    if (pitch > 89.0f)
        pitch = 89.0f;
    else if (pitch < -89.0f)
        pitch = -89.0f;

    // Jump to the opposite end of the range; the excess past the seam is dropped.
    if (yaw > 180.0f)
        yaw = -180.0f;
    else if (yaw < -180.0f)
        yaw = 180.0f;

    const float p = pitch * degreesToRadians;
    const float y = yaw * degreesToRadians;
    const float cosP = static_cast<float>(std::cos(static_cast<double>(p)));
    const float sinP = static_cast<float>(std::sin(static_cast<double>(p)));
    const float cosY = static_cast<float>(std::cos(static_cast<double>(y)));
    const float sinY = static_cast<float>(std::sin(static_cast<double>(y)));

    front = glm::normalize(glm::vec3(cosY * cosP, sinP, sinY * cosP));
    right = glm::normalize(glm::cross(front, glm::vec3(0.0f, 1.0f, 0.0f)));
    up = glm::normalize(glm::cross(right, front));
}

void Camera::increaseExposure()
{
    exposure = static_cast<float>(static_cast<double>(exposure) + 0.1);
}

void Camera::decreaseExposure()
{
    exposure = static_cast<float>(static_cast<double>(exposure) - 0.1);
}

void Camera::increaseFocus()
{
    focusDepth += focusStep;
    maxDepth += focusStep;
}

void Camera::decreaseFocus()
{
    focusDepth -= focusStep;
    maxDepth -= focusStep;
}

namespace {

Plane planeThrough(const glm::vec3& normal, const glm::vec3& point)
{
    return {normal, -glm::dot(normal, point)};
}

}  // namespace

std::array<Plane, 6> Camera::frustumPlanes() const
{
    const glm::vec3 nc = position + front * nearPlane;
    const glm::vec3 fc = position + front * farPlane;
    if (orthographic) {
        const float halfWidth = halfHeight * aspectRatio;
        return {
            planeThrough(front, nc),
            planeThrough(-front, fc),
            planeThrough(up, position - up * halfHeight),
            planeThrough(-up, position + up * halfHeight),
            planeThrough(-right, position + right * halfWidth),
            planeThrough(right, position - right * halfWidth),
        };
    }
    const float t = static_cast<float>(std::tan(static_cast<double>(fov * 0.5f * degreesToRadians)));
    const float nearHeight = t * (nearPlane * 2.0f);
    const float halfHeight = nearHeight * 0.5f;
    const float halfWidth = aspectRatio * nearHeight * 0.5f;

    // Each side plane passes through the eye and one edge of the near rectangle.
    const auto side = [&](const glm::vec3& q, auto normalFromRay) {
        const glm::vec3 a = glm::normalize(q - position);
        return planeThrough(glm::normalize(normalFromRay(a)), q);
    };
    const glm::vec3 rightEdge = nc + right * halfWidth;
    const glm::vec3 leftEdge = nc - right * halfWidth;
    const glm::vec3 topEdge = nc + up * halfHeight;
    const glm::vec3 bottomEdge = nc - up * halfHeight;

    return {
        planeThrough(front, nc),
        planeThrough(-front, fc),
        side(bottomEdge, [&](const glm::vec3& a) { return glm::cross(right, a); }),
        side(topEdge, [&](const glm::vec3& a) { return glm::cross(a, right); }),
        side(rightEdge, [&](const glm::vec3& a) { return glm::cross(up, a); }),
        side(leftEdge, [&](const glm::vec3& a) { return glm::cross(a, up); }),
    };
}

}  // namespace qm
