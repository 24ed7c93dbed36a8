#include <gtest/gtest.h>

#include "NearVector.h"
#include "OrbitControl.h"

namespace {

using qm::OrbitControl;

// A 2 x 2 x 2 box around (10, 0, 0), framed for a 16:9 view.
struct Inspecting {
    qm::Camera camera;
    qm::Framing framing;
    OrbitControl orbit;

    explicit Inspecting(OrbitControl::Rotation rotation = OrbitControl::Rotation::Turntable)
        : framing(qm::frameBox(qm::BoundingBox::fromMinMax({9, -1, -1}, {11, 1, 1}), 30.0f, 16.0f / 9.0f)),
          orbit(framing, rotation)
    {
        qm::applyFraming(camera, framing);
    }

    // Eases to the goal, as frames of `step` seconds would.
    void settle(float step = 1.0f / 60.0f)
    {
        for (int frame = 0; frame < 1000 && orbit.advance(step); ++frame)
            orbit.apply(camera);
    }

    // Where a point shows in the view, -1 to 1 across and up.
    glm::vec2 onScreen(const glm::vec3& point) const
    {
        const glm::vec4 clip = camera.projection * camera.getViewMatrix() * glm::vec4(point, 1.0f);
        return glm::vec2(clip) / clip.w;
    }
};

// At rest, at the start or after taking over the fly camera's view, the
// control leaves the camera where it stands; it turns about the framed
// box's centre at first.
TEST(OrbitControl, AtRestLeavesTheCameraWhereItStands)
{
    Inspecting in;
    expectNear(in.orbit.view().pivot, {10, 0, 0});
    EXPECT_FLOAT_EQ(in.orbit.view().distance, in.framing.distance);
    for (int flown = 0; flown < 2; ++flown) {
        if (flown) {
            qm::placeCamera(in.camera, {3, 4, 5}, 200.0f - 360.0f, 10.0f);
            in.orbit.takeOver(in.camera);
        }
        EXPECT_FALSE(in.orbit.advance(0.1f)) << "at rest, the camera is left as it stands";
        const qm::Camera before = in.camera;
        in.orbit.apply(in.camera);
        expectNear(in.camera.position, before.position, 1e-4f);
        expectNear(in.camera.front, before.front, 1e-5f);
        EXPECT_FLOAT_EQ(in.camera.focusDepth, before.focusDepth);
    }
}

// Dragging turns the view about the pivot, which stays in the middle; the
// pitch stops short of the poles, and Home frames the model again.
TEST(OrbitControl, TurnsAboutThePivotAndFramesAgain)
{
    Inspecting in;
    const float yaw = in.orbit.target().yaw;
    in.orbit.turn(100.0f, 0.0f);
    EXPECT_FLOAT_EQ(in.orbit.target().yaw, yaw + 30.0f);
    in.orbit.turn(0.0f, -10000.0f);
    EXPECT_FLOAT_EQ(in.orbit.target().pitch, 89.0f);
    in.settle();
    EXPECT_NEAR(glm::distance(in.camera.position, glm::vec3(10, 0, 0)), in.framing.distance, 1e-3f);
    expectNear(glm::vec3(in.onScreen({10, 0, 0}), 0), glm::vec3(0), 1e-4f);

    in.orbit.frame();
    in.settle();
    expectNear(in.camera.position, in.framing.position, 1e-3f);
}

// The point under the cursor stays under it while the view zooms towards it
// or pans; a zoom shrinks the distance by a share, bringing the near plane
// in, and never passes the pivot.
TEST(OrbitControl, ZoomAndPanKeepThePointUnderTheCursor)
{
    Inspecting in;
    const glm::vec2 cursor(0.5f, -0.25f);
    // The point under the cursor on the plane through the pivot, across the view.
    const float t = std::tan(in.camera.fov * 0.5f * qm::degreesToRadians) * in.framing.distance;
    const glm::vec3 pointed = glm::vec3(10, 0, 0) + in.camera.right * cursor.x * t * in.camera.aspectRatio +
                              in.camera.up * cursor.y * t;
    in.orbit.zoom(in.camera, 3.0f, cursor.x, cursor.y);
    EXPECT_NEAR(in.orbit.target().distance, in.framing.distance * 0.85f * 0.85f * 0.85f, 1e-4f);
    in.settle();
    expectNear(glm::vec3(in.onScreen(pointed), 0), glm::vec3(cursor, 0), 1e-3f);

    for (int step = 0; step < 100; ++step)
        in.orbit.zoom(in.camera, 5.0f, 0.0f, 0.0f);
    in.settle();
    EXPECT_NEAR(in.orbit.view().distance, in.framing.distance * 1e-3f, 1e-6f);
    EXPECT_LT(in.camera.nearPlane, in.orbit.view().distance);

    // 90 pixels of a 360-pixel-high window: an eighth of the view's height, a quarter of its half.
    const glm::vec3 pivot = in.orbit.view().pivot;
    in.orbit.pan(in.camera, 0.0f, 90.0f, 360.0f);
    in.settle();
    expectNear(glm::vec3(in.onScreen(pivot), 0), glm::vec3(0, -0.5f, 0), 1e-3f);
}

// Orthographic, the view shows at the pivot's depth what it showed in
// perspective, depth changes no point's place, and the eye stands back so
// that zooming in never cuts the model.
TEST(OrbitControl, OrthographicKeepsTheFramingAndParallelLines)
{
    Inspecting in;
    in.orbit.zoom(in.camera, 8.0f, 0.0f, 0.0f);
    in.settle();
    const glm::vec3 edge = in.orbit.view().pivot + in.camera.right * in.camera.aspectRatio *
                                                       (std::tan(in.camera.fov * 0.5f * qm::degreesToRadians) *
                                                        in.orbit.view().distance);
    expectNear(glm::vec3(in.onScreen(edge), 0), glm::vec3(1, 0, 0), 1e-3f);
    in.camera.orthographic = true;
    in.orbit.apply(in.camera);
    expectNear(glm::vec3(in.onScreen(edge), 0), glm::vec3(1, 0, 0), 1e-3f);
    expectNear(glm::vec3(in.onScreen(edge + in.camera.front * 3.0f), 0), glm::vec3(1, 0, 0), 1e-3f);
    EXPECT_NEAR(glm::distance(in.camera.position, in.orbit.view().pivot), 2.0f * in.framing.distance, 1e-3f);
    EXPECT_LT(in.camera.nearPlane, in.framing.distance);
}

// A trackball turns on over the poles, about the pivot, upside down when
// past them; its keypad views are the turntable's.
TEST(OrbitControl, TrackballTurnsOverThePoles)
{
    Inspecting in(OrbitControl::Rotation::Trackball);
    in.orbit.turn(0.0f, 400.0f);  // 120 degrees, from 22 below the level to 142
    in.settle();
    EXPECT_NEAR(glm::distance(in.camera.position, glm::vec3(10, 0, 0)), in.framing.distance, 1e-3f);
    expectNear(glm::vec3(in.onScreen({10, 0, 0}), 0), glm::vec3(0), 1e-4f);
    EXPECT_LT(in.camera.up.y, -0.5f);
    in.orbit.lookFrom(OrbitControl::Side::Front);
    in.settle();
    expectNear(in.camera.front, {0, 0, -1}, 1e-3f);
    expectNear(in.camera.up, {0, 1, 0}, 1e-3f);
}

// The same goal is reached at the same pace at 30 or 240 frames a second.
TEST(OrbitControl, EasesAtTheSamePaceWhateverTheFrameRate)
{
    Inspecting slow, fast;
    for (Inspecting* in : {&slow, &fast})
        in->orbit.turn(200.0f, 50.0f);
    for (int frame = 0; frame < 3; ++frame)
        slow.orbit.advance(1.0f / 30.0f);
    for (int frame = 0; frame < 24; ++frame)
        fast.orbit.advance(1.0f / 240.0f);
    EXPECT_NEAR(slow.orbit.view().yaw, fast.orbit.view().yaw, 1e-3f);
    EXPECT_NEAR(slow.orbit.view().pitch, fast.orbit.view().pitch, 1e-3f);
    EXPECT_GT(slow.orbit.view().yaw, slow.framing.yaw + 30.0f) << "most of the way in a tenth of a second";
    EXPECT_LT(slow.orbit.view().yaw, slow.framing.yaw + 60.0f);
}

// A double-clicked point becomes the pivot: the view turns to it from where
// it stands, and later turns go round it.
TEST(OrbitControl, PivotsOnAPointFromWhereTheCameraStands)
{
    Inspecting in;
    const glm::vec3 eye = in.camera.position;
    const glm::vec3 point(10.5f, 0.8f, -0.3f);
    in.orbit.pivotOn(point);
    in.settle();
    expectNear(in.camera.position, eye, 1e-3f);
    expectNear(glm::vec3(in.onScreen(point), 0), glm::vec3(0), 1e-4f);
    in.orbit.turn(300.0f, 0.0f);
    in.settle();
    EXPECT_NEAR(glm::distance(in.camera.position, point), glm::distance(eye, point), 1e-3f);
}

// The keypad's views look along the axes; the opposite side turns the short way.
TEST(OrbitControl, LooksFromTheSidesAndTheOpposite)
{
    const struct {
        OrbitControl::Side side;
        glm::vec3 front;
    } sides[] = {{OrbitControl::Side::Front, {0, 0, -1}}, {OrbitControl::Side::Right, {-1, 0, 0}}};
    for (const auto& c : sides) {
        Inspecting in;
        in.orbit.lookFrom(c.side);
        in.settle();
        expectNear(in.camera.front, c.front, 1e-3f);
        expectNear(in.orbit.view().pivot, {10, 0, 0});
    }
    Inspecting in;
    in.orbit.lookFrom(OrbitControl::Side::Top);
    in.settle();
    EXPECT_LT(in.camera.front.y, -0.99f);
    const glm::vec3 before = in.camera.front;
    in.orbit.lookFrom(OrbitControl::Side::Opposite);
    EXPECT_LE(std::abs(in.orbit.target().yaw - in.orbit.view().yaw), 180.0f);
    in.settle();
    EXPECT_NEAR(in.camera.front.y, -before.y, 1e-3f);
}

}  // namespace
