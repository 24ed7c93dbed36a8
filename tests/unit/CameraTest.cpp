#include <gtest/gtest.h>

#include "Camera.h"
#include "NearVector.h"
#include "Scene.h"

namespace {

using qm::Camera;

constexpr float eps = 1e-5f;

TEST(Camera, LookClampsPitchAndWrapsYaw)
{
    const struct {
        float pitchDelta, yawDelta;  // in pixels, at the default sensitivity of 0.1
        float pitch, yaw;
        glm::vec3 front;
    } cases[] = {
        {100.0f, 0.0f, 10.0f, -90.0f, {0.0f, 0.17364818f, -0.98480775f}},
        {1000.0f, 0.0f, 89.0f, -90.0f, {0.0f, 0.9998477f, -0.017452406f}},
        {-1000.0f, 0.0f, -89.0f, -90.0f, {0.0f, -0.9998477f, -0.017452406f}},
        {0.0f, 2800.0f, 0.0f, -180.0f, {-1.0f, 0.0f, 0.0f}},  // -90 + 280 = 190: jumps to -180
        {0.0f, -1000.0f, 0.0f, 180.0f, {-1.0f, 0.0f, 0.0f}},  // -90 - 100 = -190: jumps to 180
        {0.0f, 2700.0f, 0.0f, 180.0f, {-1.0f, 0.0f, 0.0f}},   // exactly 180 stays
    };
    for (const auto& c : cases) {
        Camera camera;
        camera.look(c.pitchDelta, c.yawDelta);
        EXPECT_NEAR(camera.pitch, c.pitch, eps);
        EXPECT_NEAR(camera.yaw, c.yaw, eps);
        expectNear(camera.front, c.front);
        // Front, right and up of unit length and at right angles: their dot products make the identity.
        const glm::mat3 axes(camera.front, camera.right, camera.up);
        for (int i = 0; i < 3; ++i)
            expectNear((glm::transpose(axes) * axes)[i], glm::mat3(1.0f)[i], eps);
    }
}

TEST(Camera, MovesAlongItsAxesOncePerCall)
{
    qm::Scene scene;
    Camera& camera = *scene.camera;
    for (int frame = 0; frame < 60; ++frame)
        camera.move(qm::FORWARD);
    expectNear(camera.position, {0.0f, 20.0f, -28.0f});

    camera.move(qm::FORWARD);
    camera.move(qm::BACKWARD);
    expectNear(camera.position, {0.0f, 20.0f, -28.0f});

    camera.move(qm::RIGHT);
    expectNear(camera.position, {0.5f, 20.0f, -28.0f});
    camera.move(qm::LEFT);
    camera.move(qm::LEFT);
    expectNear(camera.position, {-0.5f, 20.0f, -28.0f});

    // Looking up and moving forward climbs.
    camera.look(450.0f, 0.0f);  // 0.2 x 450 = 90, clamped to 89
    camera.move(qm::FORWARD);
    EXPECT_NEAR(camera.position.y, 20.0f + 0.5f * 0.9998477f, eps);
}

TEST(Camera, ExposureAndFocusStepWithoutBounds)
{
    Camera camera;
    camera.increaseExposure();
    EXPECT_EQ(camera.exposure, 3.1f);  // 3.0 + 0.1 in double, rounded once

    Camera lowered;
    for (int i = 0; i < 40; ++i)
        lowered.decreaseExposure();
    EXPECT_NEAR(lowered.exposure, -1.0f, 1e-4f);  // no floor at zero

    camera.increaseFocus();
    EXPECT_EQ(camera.focusDepth, 21.0f);
    EXPECT_EQ(camera.maxDepth, 76.0f);
    for (int i = 0; i < 22; ++i)
        camera.decreaseFocus();
    EXPECT_EQ(camera.focusDepth, -1.0f);
    EXPECT_EQ(camera.maxDepth, 54.0f);
}

TEST(Camera, FrustumPlanesClassifyPoints)
{
    const qm::Scene scene;  // eye (0, 20, 2) looking along -z, 45 degrees, 16/9, 1 to 300
    const auto planes = scene.camera->frustumPlanes();
    enum { Near, Far, Bottom, Top, Right, Left };

    // Unit normals, so that a signed distance is a distance.
    for (const qm::Plane& plane : planes)
        EXPECT_NEAR(glm::length(plane.normal), 1.0f, eps);

    // 10 units ahead of the eye the frustum spans half a height of
    // 10 tan(22.5) = 4.1421356 and half a width of 16/9 of that = 7.3637967.
    const float h = 4.1421356f;
    const float w = 7.3637967f;
    const float z = -8.0f;
    const struct {
        glm::vec3 point;
        int outsideOf;  // -1: inside every plane
    } cases[] = {
        {{0.0f, 20.0f, z}, -1},
        // Exactly on the near or the far plane counts as inside; a hundredth beyond does not.
        {{0.1f, 20.1f, 1.0f}, -1}, {{0.0f, 20.0f, 1.01f}, Near},
        {{0.0f, 20.0f, -298.0f}, -1}, {{0.0f, 20.0f, -298.01f}, Far},
        // A hundredth inside and beyond each side.
        {{0.0f, 20.0f - h + 0.01f, z}, -1}, {{0.0f, 20.0f - h - 0.01f, z}, Bottom},
        {{0.0f, 20.0f + h - 0.01f, z}, -1}, {{0.0f, 20.0f + h + 0.01f, z}, Top},
        {{w - 0.01f, 20.0f, z}, -1}, {{w + 0.01f, 20.0f, z}, Right},
        {{-w + 0.01f, 20.0f, z}, -1}, {{-w - 0.01f, 20.0f, z}, Left},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(planes[i].contains(c.point), i != c.outsideOf)
                << "plane " << i << " point " << c.point.x << ", " << c.point.y << ", " << c.point.z;
    }

    // Orthographic, the sides are as far apart at the near plane as 10 units ahead.
    qm::Camera parallel = *scene.camera;
    parallel.orthographic = true;
    parallel.halfHeight = h;
    const auto box = parallel.frustumPlanes();
    for (const auto& c : cases) {
        const glm::vec3 near = c.point.z == z ? glm::vec3(c.point.x, c.point.y, 1.0f) : c.point;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(box[i].contains(near), i != c.outsideOf) << "orthographic, plane " << i;
    }
}

}  // namespace
