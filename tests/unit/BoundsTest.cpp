#include <gtest/gtest.h>

#include "MeshLOD.h"
#include "NearVector.h"
#include "PointLight.h"
#include "SceneObject.h"

namespace {

using qm::BoundingBox;

std::shared_ptr<qm::Mesh> meshOf(std::vector<glm::vec3> positions)
{
    std::vector<qm::Vertex> vertices;
    for (const glm::vec3& p : positions)
        vertices.push_back({p, {0, 1, 0}, {0, 0}});
    return std::make_shared<qm::Mesh>(vertices, std::vector<std::uint32_t>{0, 0, 0}, nullptr);
}

void expectBox(const BoundingBox& box, glm::vec3 min, glm::vec3 max)
{
    EXPECT_EQ(box.min, min);
    EXPECT_EQ(box.max, max);
    EXPECT_EQ(box.center, (min + max) * 0.5f);
    EXPECT_EQ(box.halfExtents, (max - min) * 0.5f);
}

// The chain's box is level zero's: the imported mesh, which the others only simplify.
TEST(MeshLOD, BoxesTheVerticesOfLevelZero)
{
    const auto aside = meshOf({{7, 8, 9}});
    qm::MeshLOD lod(meshOf({{-1, 0, 5}, {3, 2, 5}, {0, 1, 4}}), aside, aside);
    lod.computeBoundingBox();
    expectBox(lod.getBoundingBox(), {-1, 0, 4}, {3, 2, 5});
}

TEST(SceneObject, BoundsOfMeshesLightsAndGroups)
{
    // A mesh's box is taken over its vertices in world space.
    qm::SceneObject placed;
    const auto mesh = meshOf({{-1, 0, -1}, {1, 2, 1}});
    placed.setMeshLOD(std::make_shared<qm::MeshLOD>(mesh, mesh, mesh));
    placed.model = glm::translate(glm::mat4(1.0f), {10, 0, 0}) * glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), {0, 0, 1});
    placed.computeBounds();
    expectNear(placed.boundingBox.min, {8, -1, -1});
    expectNear(placed.boundingBox.max, {10, 1, 1});

    // A light's box is its volume around its position.
    qm::SceneObject lamp;
    lamp.light = std::make_shared<qm::PointLight>();
    lamp.light->radius = 10.0f;
    lamp.position = {1, 2, 3};
    lamp.computeBounds();
    expectBox(lamp.boundingBox, {-9, -8, -7}, {11, 12, 13});

    // A group starts from the zero box, so its merged box holds the origin.
    qm::SceneObject group;
    group.computeBounds();
    expectBox(group.boundingBox, {0, 0, 0}, {0, 0, 0});
    qm::SceneObject far;
    far.boundingBox = BoundingBox::fromMinMax({20, 30, 40}, {21, 31, 41});
    group.mergeBounds(far);
    expectBox(group.boundingBox, {0, 0, 0}, {21, 31, 41});
}

}  // namespace
