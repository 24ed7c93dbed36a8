// An opened model's place in the viewer's world: its units and axes, its
// box, and the start view that frames it.
#include <gtest/gtest.h>

#include <limits>

#include "ModelFraming.h"
#include "ModelOrientation.h"
#include "NearVector.h"

namespace {

// A scene whose global settings say "up", "front" and "right" (axis index,
// sign) and the unit in centimetres, as FBX files record them.
void record(qm::SceneData& scene, int up, int upSign, int front, int frontSign, int right, int rightSign, double unit)
{
    const char* keys[] = {"UpAxis", "UpAxisSign", "FrontAxis", "FrontAxisSign", "CoordAxis", "CoordAxisSign"};
    const int values[] = {up, upSign, front, frontSign, right, rightSign};
    for (unsigned i = 0; i < 6; ++i)
        scene.numbers.push_back({keys[i], double(values[i])});
    scene.numbers.push_back({"UnitScaleFactor", unit});
}

glm::vec3 apply(const glm::mat4& m, const glm::vec3& v)
{
    return glm::vec3(m * glm::vec4(v, 1.0f));
}

TEST(ModelOrientation, FileSettingsAndOverridesTurnAndScaleTheModel)
{
    const glm::vec3 top(0.0f, 0.0f, 4.0f);  // the top of a tower standing on +Z
    {
        // Z up, -Y front (as most modelling tools write), centimetres.
        qm::SceneData scene;
        record(scene, 2, 1, 1, -1, 0, 1, 1.0);
        const qm::ModelOrientation o = qm::modelOrientation(scene, std::nullopt, std::nullopt);
        expectNear(apply(o.transform, top), {0.0f, 0.04f, 0.0f});
        EXPECT_EQ(o.description, "Units and axes: 1 unit = 0.01 m (recorded in the file), up +Z (recorded in the file)");
        // --up y leaves it lying; --scale gives metres per unit.
        const qm::ModelOrientation lying = qm::modelOrientation(scene, 'y', 2.0f);
        expectNear(apply(lying.transform, top), {0.0f, 0.0f, 8.0f});
        EXPECT_EQ(lying.description, "Units and axes: 1 unit = 2 m (--scale), up +Y (--up)");
    }
    {
        // A left-handed or degenerate frame is not trusted; the unit still is.
        qm::SceneData scene;
        record(scene, 1, 1, 1, 1, 0, 1, 100.0);
        const qm::ModelOrientation o = qm::modelOrientation(scene, std::nullopt, std::nullopt);
        expectNear(apply(o.transform, top), top);
        EXPECT_EQ(o.description, "Units and axes: 1 unit = 1 m (recorded in the file), up +Y (none recorded)");
    }
    {
        // Nothing recorded (OBJ, PLY, STL): as the file stands; --up z stands it up.
        qm::SceneData scene;
        EXPECT_EQ(qm::modelOrientation(scene, std::nullopt, std::nullopt).description,
                  "Units and axes: 1 unit = 1 m (none recorded, taken as metres), up +Y (none recorded)");
        expectNear(apply(qm::modelOrientation(scene, 'z', std::nullopt).transform, top), {0.0f, 4.0f, 0.0f});
    }
}

TEST(ModelOrientation, BoundsCoverEveryPlacedMeshOnce)
{
    qm::SceneData scene;
    scene.meshes.resize(1);
    scene.meshes[0].positions = {0, 0, 0, 1, 2, 3};
    // The mesh placed twice: at the root and 10 along x below it.
    qm::SceneNode root{"root", -1, qm::identityMatrix, {0}};
    qm::SceneNode moved{"moved", 0, qm::identityMatrix, {0}};
    moved.transform[12] = 10.0f;
    scene.nodes = {root, moved};

    const qm::BoundingBox box = qm::modelBounds(scene, glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)));
    expectNear(box.min, {0, 0, 0});
    expectNear(box.max, {22, 4, 6});
    const qm::BoundingBox none = qm::modelBounds(qm::SceneData(), glm::mat4(1.0f));
    expectNear(none.halfExtents, {0, 0, 0});

    // A cut file's garbage: a mesh with a position that is not a number is
    // left out (as the import leaves it out), and a box spread over most of
    // the float range, whose size overflows, frames nothing.
    qm::SceneData damaged = scene;
    damaged.meshes.push_back(damaged.meshes[0]);
    damaged.meshes[1].positions[4] = std::numeric_limits<float>::quiet_NaN();
    damaged.meshes[1].positions[0] = 1e30f;
    damaged.nodes[1].meshes = {1};
    expectNear(qm::modelBounds(damaged, glm::mat4(1.0f)).max, {1, 2, 3});
    damaged.meshes[0].positions = {-3e38f, 0, 0, 3e38f, 0, 0};
    expectNear(qm::modelBounds(damaged, glm::mat4(1.0f)).halfExtents, {0, 0, 0});
}

// Every corner of the box is in view, and the box reaches close to the
// view's edge in at least one direction, whatever its shape and size.
// The file's cameras stand where their nodes and the root put them, their
// directions at unit length and their up at right angles; one with no
// direction is left out, and one looking straight down along its up gets
// the world's back for up. Their field of view is the vertical one, from
// the horizontal half angle and the aspect ratio, or from the half angle
// alone where the file gives no aspect ratio.
TEST(ModelOrientation, FileCamerasArePlacedInTheWorld)
{
    qm::SceneData scene;
    qm::SceneNode root{"root", -1, qm::identityMatrix, {}};
    qm::SceneNode moved{"eye", 0, qm::identityMatrix, {}};
    moved.transform[12] = 10.0f;
    scene.nodes = {root, moved};
    scene.cameras = {{"eye", {0, 1, 0}, {0, 1, 1}, {0, 0, -3}},
                     {"nowhere", {0, 0, 0}, {0, 1, 0}, {0, 0, 0}},
                     {"missing", {1, 2, 3}, {0, 1, 0}, {0, -1, 0}}};
    scene.cameras[0].horizontalFov = std::atan(2.0f * std::tan(glm::radians(30.0f)));
    scene.cameras[0].aspect = 2.0f;
    scene.cameras[2].horizontalFov = glm::radians(20.0f);
    const auto views = qm::fileViews(scene, glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)));
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0].name, "eye");
    expectNear(views[0].position, {20, 2, 0});
    expectNear(views[0].front, {0, 0, -1});
    expectNear(views[0].up, {0, 1, 0});
    EXPECT_EQ(views[1].name, "missing");
    expectNear(views[1].position, {2, 4, 6});
    expectNear(views[1].front, {0, -1, 0});
    expectNear(views[1].up, {0, 0, -1});
    EXPECT_NEAR(views[0].fovDegrees, 60.0f, 1e-4f);
    EXPECT_NEAR(views[1].fovDegrees, 40.0f, 1e-4f);
}

TEST(ModelFraming, TheWholeBoxFillsMostOfTheView)
{
    const qm::BoundingBox boxes[] = {
        qm::BoundingBox::fromMinMax({-0.5f, 0.0f, -0.5f}, {0.5f, 4.0f, 0.5f}),     // a tower
        qm::BoundingBox::fromMinMax({-50.0f, 0.0f, -1.0f}, {50.0f, 2.0f, 1.0f}),   // a wall
        qm::BoundingBox::fromMinMax({1000.0f, 5.0f, 7.0f}, {1000.02f, 5.01f, 7.03f}),  // small, far out
    };
    for (const qm::BoundingBox& box : boxes) {
        const qm::Framing framing = qm::frameBox(box, 45.0f, 16.0f / 9.0f);
        qm::Camera camera;
        camera.fov = 45.0f;
        qm::applyFraming(camera, framing);
        const glm::mat4 clip = camera.projection * camera.getViewMatrix();
        float reach = 0.0f;
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 p(corner & 1 ? box.max.x : box.min.x, corner & 2 ? box.max.y : box.min.y,
                              corner & 4 ? box.max.z : box.min.z);
            const glm::vec4 c = clip * glm::vec4(p, 1.0f);
            ASSERT_GT(c.w, 0.0f);
            const glm::vec3 ndc = glm::vec3(c) / c.w;
            EXPECT_LE(std::abs(ndc.x), 0.86f);
            EXPECT_LE(std::abs(ndc.y), 0.86f);
            EXPECT_GT(ndc.z, -1.0f);  // beyond the near plane
            reach = std::max({reach, std::abs(ndc.x), std::abs(ndc.y)});
        }
        EXPECT_GT(reach, 0.8f);
        // Distances follow the size: a box a tenth the moor's radius walks at a tenth the speed.
        EXPECT_FLOAT_EQ(camera.distanceScale, glm::length(box.halfExtents) / 10.0f);
        EXPECT_FLOAT_EQ(camera.movementSpeed, 0.25f * camera.distanceScale);
    }
}

// A reload keeps where the camera stands and looks and its exposure and
// focus, and takes the new model's scale for the rest.
TEST(ModelFraming, AReloadKeepsTheView)
{
    qm::Camera previous;
    qm::placeCamera(previous, {3.0f, 4.0f, 5.0f}, 30.0f, -20.0f);
    previous.exposure = 1.25f;
    previous.focusDepth = 7.0f;
    previous.maxDepth = 9.0f;
    qm::Camera camera;
    qm::applyFraming(camera, qm::frameBox(qm::BoundingBox::fromMinMax(glm::vec3(-50.0f), glm::vec3(50.0f)), 30.0f,
                                          16.0f / 9.0f));
    const float speed = camera.movementSpeed;
    qm::keepView(camera, previous);
    EXPECT_EQ(camera.getViewMatrix(), previous.getViewMatrix());
    EXPECT_EQ(camera.exposure, 1.25f);
    EXPECT_EQ(camera.focusDepth, 7.0f);
    EXPECT_EQ(camera.maxDepth, 9.0f);
    EXPECT_EQ(camera.movementSpeed, speed);
}

}  // namespace
