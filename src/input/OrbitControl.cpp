#include "OrbitControl.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr float degreesPerPixel = 0.3f;
// Short of the poles, where a turntable's yaw would spin the view about its own axis.
constexpr float pitchLimit = 89.0f;
// Each wheel step keeps this share of the distance.
constexpr float zoomPerStep = 0.85f;
// How fast the view closes on its goal: about 95 % of the way in a quarter second.
constexpr float easeRate = 12.0f;

glm::vec3 frontOf(float yaw, float pitch)
{
    const float y = yaw * degreesToRadians;
    const float p = pitch * degreesToRadians;
    return {std::cos(y) * std::cos(p), std::sin(p), std::sin(y) * std::cos(p)};
}

// The angle equal to `angle` (mod 360) nearest `from`, so that easing turns the short way.
float nearestTurn(float angle, float from)
{
    return from + std::remainder(angle - from, 360.0f);
}

// Looking along `front` with `up` above.
glm::quat orientationAlong(const glm::vec3& front, const glm::vec3& up)
{
    return glm::quatLookAt(front, up);
}

// The framed start view as an orbit about the framed box's centre.
OrbitControl::View framedView(const Framing& start)
{
    const glm::vec3 front = frontOf(start.yaw, start.pitch);
    return {start.position + front * start.distance, start.distance, start.yaw, start.pitch,
            orientationAlong(front, {0.0f, 1.0f, 0.0f})};
}

}  // namespace

OrbitControl::OrbitControl(const Framing& start, Rotation rotation)
    : start(start), rotation(rotation), current(framedView(start)), goal(current), appliedDistance(start.distance)
{
}

glm::vec3 OrbitControl::goalFront() const
{
    return rotation == Rotation::Trackball ? goal.orientation * glm::vec3(0.0f, 0.0f, -1.0f)
                                           : frontOf(goal.yaw, goal.pitch);
}

void OrbitControl::orientGoal()
{
    goal.orientation = orientationAlong(frontOf(goal.yaw, goal.pitch), {0.0f, 1.0f, 0.0f});
}

void OrbitControl::turn(float dx, float dy)
{
    if (rotation == Rotation::Trackball) {
        // Signed as the turntable's: more yaw turns the view right, less pitch down.
        const glm::vec3 up = goal.orientation * glm::vec3(0.0f, 1.0f, 0.0f);
        const glm::vec3 right = goal.orientation * glm::vec3(1.0f, 0.0f, 0.0f);
        goal.orientation = glm::normalize(glm::angleAxis(-dx * degreesPerPixel * degreesToRadians, up) *
                                          glm::angleAxis(-dy * degreesPerPixel * degreesToRadians, right) *
                                          goal.orientation);
        return;
    }
    goal.yaw += dx * degreesPerPixel;
    goal.pitch = std::clamp(goal.pitch - dy * degreesPerPixel, -pitchLimit, pitchLimit);
}

void OrbitControl::pan(const Camera& camera, float dx, float dy, float height)
{
    const float perPixel = 2.0f * goal.distance * std::tan(camera.fov * 0.5f * degreesToRadians) / height;
    goal.pivot += (-camera.right * dx + camera.up * dy) * perPixel;
}

void OrbitControl::zoom(const Camera& camera, float steps, float ndcX, float ndcY)
{
    const float tanVertical = std::tan(camera.fov * 0.5f * degreesToRadians);
    const glm::vec3 cursor = goal.pivot + (camera.right * ndcX * tanVertical * camera.aspectRatio +
                                           camera.up * ndcY * tanVertical) * goal.distance;
    // Within a thousandth and a hundred times the framed distance.
    const float kept = std::clamp(goal.distance * std::pow(zoomPerStep, steps), start.distance * 1e-3f,
                                  start.distance * 100.0f) / goal.distance;
    goal.pivot = cursor + (goal.pivot - cursor) * kept;
    goal.distance *= kept;
}

void OrbitControl::frame()
{
    goal = framedView(start);
    goal.yaw = nearestTurn(goal.yaw, current.yaw);
}

void OrbitControl::pivotOn(const glm::vec3& point)
{
    const glm::vec3 eye = goal.pivot - goalFront() * goal.distance;
    if (rotation == Rotation::Trackball) {
        const glm::vec3 toPoint = point - eye;
        if (glm::length(toPoint) > start.distance * 1e-3f) {
            goal.distance = glm::length(toPoint);
            const glm::vec3 front = toPoint / goal.distance;
            // Up as the view has it, or its back when the point lies straight above or below.
            glm::vec3 up = goal.orientation * glm::vec3(0.0f, 1.0f, 0.0f);
            if (std::abs(glm::dot(front, up)) > 0.999f)
                up = goal.orientation * glm::vec3(0.0f, 0.0f, 1.0f);
            goal.orientation = orientationAlong(front, up);
            goal.pivot = point;
        }
        return;
    }
    const glm::vec3 toPoint = point - eye;
    goal.distance = std::max(glm::length(toPoint), start.distance * 1e-3f);
    const glm::vec3 front = toPoint / std::max(glm::length(toPoint), 1e-20f);
    goal.pitch = std::clamp(std::asin(std::clamp(front.y, -1.0f, 1.0f)) / degreesToRadians, -pitchLimit, pitchLimit);
    goal.yaw = nearestTurn(std::atan2(front.z, front.x) / degreesToRadians, current.yaw);
    goal.pivot = eye + frontOf(goal.yaw, goal.pitch) * goal.distance;
}

void OrbitControl::lookFrom(Side side)
{
    switch (side) {
    case Side::Front: goal.yaw = -90.0f, goal.pitch = 0.0f; break;
    case Side::Right: goal.yaw = 180.0f, goal.pitch = 0.0f; break;
    case Side::Top: goal.yaw = -90.0f, goal.pitch = -pitchLimit; break;
    case Side::Opposite:
        if (rotation == Rotation::Trackball) {
            // Half a turn about the view's own up.
            goal.orientation = glm::angleAxis(glm::pi<float>(), goal.orientation * glm::vec3(0.0f, 1.0f, 0.0f)) *
                               goal.orientation;
            return;
        }
        goal.yaw += 180.0f, goal.pitch = -goal.pitch;
        break;
    }
    goal.yaw = nearestTurn(goal.yaw, current.yaw);
    orientGoal();
}

void OrbitControl::lookAlong(const FileView& view)
{
    const glm::vec3 centre = framedView(start).pivot;
    goal.distance = std::max(glm::dot(centre - view.position, view.front), start.distance * 0.05f);
    goal.pivot = view.position + view.front * goal.distance;
    goal.pitch = std::clamp(std::asin(std::clamp(view.front.y, -1.0f, 1.0f)) / degreesToRadians, -pitchLimit, pitchLimit);
    goal.yaw = nearestTurn(std::atan2(view.front.z, view.front.x) / degreesToRadians, current.yaw);
    goal.orientation = orientationAlong(view.front, view.up);
}

void OrbitControl::takeOver(const Camera& camera)
{
    goal.yaw = camera.yaw;
    goal.pitch = std::clamp(camera.pitch, -pitchLimit, pitchLimit);
    goal.pivot = camera.position + frontOf(goal.yaw, goal.pitch) * goal.distance;
    orientGoal();
    current = goal;
}

bool OrbitControl::advance(float seconds)
{
    const float distanceGap = std::abs(goal.distance - current.distance) / goal.distance;
    const float pivotGap = glm::length(goal.pivot - current.pivot) / goal.distance;
    const float angleGap =
        rotation == Rotation::Trackball
            ? 2.0f * std::acos(std::min(std::abs(glm::dot(goal.orientation, current.orientation)), 1.0f)) /
                  degreesToRadians
            : std::max(std::abs(goal.yaw - current.yaw), std::abs(goal.pitch - current.pitch));
    if (distanceGap < 1e-4f && pivotGap < 1e-4f && angleGap < 1e-3f) {
        const bool snapped = distanceGap > 0.0f || pivotGap > 0.0f || angleGap > 0.0f;
        current = goal;
        return snapped;
    }
    const float k = 1.0f - std::exp(-easeRate * std::max(seconds, 0.0f));
    current.pivot += (goal.pivot - current.pivot) * k;
    // The distance eases by its ratio, so that a zoom reads the same near and far.
    current.distance *= std::pow(goal.distance / current.distance, k);
    current.yaw += (goal.yaw - current.yaw) * k;
    current.pitch += (goal.pitch - current.pitch) * k;
    current.orientation = glm::slerp(current.orientation, goal.orientation, k);
    return true;
}

void OrbitControl::apply(Camera& camera)
{
    // An orthographic view shows as much as a perspective one at the pivot's
    // distance; its eye stands back at least twice the framed distance,
    // since coming closer would only cut the model at the near plane.
    const float eyeDistance =
        camera.orthographic ? std::max(current.distance, 2.0f * start.distance) : current.distance;
    camera.halfHeight = current.distance * std::tan(camera.fov * 0.5f * degreesToRadians);
    if (rotation == Rotation::Trackball) {
        const glm::vec3 front = current.orientation * glm::vec3(0.0f, 0.0f, -1.0f);
        camera.position = current.pivot - front * eyeDistance;
        camera.front = front;
        camera.up = current.orientation * glm::vec3(0.0f, 1.0f, 0.0f);
        camera.right = current.orientation * glm::vec3(1.0f, 0.0f, 0.0f);
        // The angles the fly camera goes on from (Tab), which has no roll.
        camera.yaw = std::atan2(front.z, front.x) / degreesToRadians;
        camera.pitch = std::clamp(std::asin(std::clamp(front.y, -1.0f, 1.0f)) / degreesToRadians, -pitchLimit, pitchLimit);
    } else {
        // The camera keeps its yaw within a turn; the control's runs on, so that it eases the short way.
        placeCamera(camera, current.pivot - frontOf(current.yaw, current.pitch) * eyeDistance,
                    std::remainder(current.yaw, 360.0f), current.pitch);
    }
    // The framing's planes, brought in or pushed out when the view comes
    // closer or goes farther than the framed model allows.
    const float s = start.distanceScale;
    camera.nearPlane = std::min(0.05f * s, 0.05f * eyeDistance);
    camera.farPlane = std::max(300.0f * s, eyeDistance + 20.0f * s);
    camera.focusDepth += eyeDistance - appliedDistance;
    camera.maxDepth += eyeDistance - appliedDistance;
    appliedDistance = eyeDistance;
    camera.updateProjection();
}

}  // namespace qm
