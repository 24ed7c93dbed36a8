#include <gtest/gtest.h>

#include "FileLights.h"
#include "PointLight.h"

namespace {

using qm::PointLight;

TEST(PointLight, VolumeRadiusIsWhereTheLightFallsToOne256th)
{
    EXPECT_NEAR(PointLight::withParametersFor("Point.0").volumeRadius(), 16.2543f, 5e-5f);
    EXPECT_NEAR(PointLight::withParametersFor("Point.1000").volumeRadius(), 15.2033f, 5e-5f);
    EXPECT_NEAR(PointLight::withParametersFor("point.1000").volumeRadius(), 16.2543f, 5e-5f) << "case-sensitive";

    PointLight linear = PointLight::withParametersFor("Point.0");
    linear.quadratic = 0.0f;
    linear.constant = 1.0f;
    linear.linear = 0.5f;
    EXPECT_NEAR(linear.volumeRadius(), 304.2f, 1e-3f);

    // Parameters that never fall to 1/256 give no volume rather than NaN.
    linear.linear = 0.0f;
    EXPECT_EQ(linear.volumeRadius(), 0.0f);
    PointLight unreachable = PointLight::withParametersFor("Point.0");
    unreachable.quadratic = -1.0f;
    unreachable.constant = 1000.0f;
    EXPECT_EQ(unreachable.volumeRadius(), 0.0f);
}

TEST(PointLight, VolumeMeshIsTheSphereScaledToTheRadius)
{
    auto material = std::make_shared<qm::Material>();
    const qm::Mesh sphere({{{1, 0, 0}, {1, 0, 0}, {0.5f, 0.5f}}, {{0, 1, 0}, {0, 1, 0}, {0, 0}}, {{0, 0, -1}, {0, 0, -1}, {1, 1}}},
                          {0, 1, 2}, material);
    PointLight light = PointLight::withParametersFor("Point.0");
    light.radius = 10.0f;
    light.setVolumeMesh(sphere);
    ASSERT_TRUE(light.volumeMesh);
    EXPECT_EQ(light.volumeMesh->getVertices()[0].position, glm::vec3(10, 0, 0));
    EXPECT_EQ(light.volumeMesh->getVertices()[2].position, glm::vec3(0, 0, -10));
    EXPECT_EQ(light.volumeMesh->getVertices()[1].normal, glm::vec3(0, 1, 0));
    EXPECT_EQ(light.volumeMesh->getVertices()[0].texCoords, glm::vec2(0.5f));
    EXPECT_EQ(light.volumeMesh->getIndices(), sphere.getIndices());
    EXPECT_EQ(light.volumeMesh->getMaterial(), material);
}

// A file's spot light keeps its cone as half-angle cosines, bounded to a
// half turn, with the inner inside the outer; a point light lights every way.
TEST(PointLight, FileSpotLightsKeepTheirConesAndDirections)
{
    const float quarter = glm::pi<float>() * 0.5f;
    const struct {
        qm::LightKind kind;
        float inner, outer;  // whole angles, as the scene data has them
        std::array<float, 3> direction;
        float cosInner, cosOuter;
        glm::vec3 aimed;
    } cases[] = {
        {qm::LightKind::Spot, 0.0f, quarter, {0, 0, -2}, 1.0f, std::cos(quarter * 0.5f), {0, 0, -1}},
        {qm::LightKind::Spot, 6.0f, 5.0f, {0, 3, 0}, 0.0f, 0.0f, {0, 1, 0}},  // past a half turn, inner past outer
        {qm::LightKind::Spot, 0.0f, quarter, {0, 0, 0}, 1.0f, std::cos(quarter * 0.5f), {0, 0, -1}},
        {qm::LightKind::Point, 0.0f, quarter, {1, 0, 0}, -1.0f, -2.0f, {0, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outer);
        qm::SceneLight from;
        from.kind = c.kind;
        from.innerCone = c.inner;
        from.outerCone = c.outer;
        from.direction = c.direction;
        const PointLight light = PointLight::fromFile(from);
        EXPECT_NEAR(light.cosInner, c.cosInner, 1e-6f);
        EXPECT_NEAR(light.cosOuter, c.cosOuter, 1e-6f);
        EXPECT_EQ(light.direction, c.aimed);
    }
}

// A directional light turns with its node, whatever the node's scale, and
// is left out where the node flattens it.
TEST(PointLight, DirectionalLightsTurnWithTheirNodes)
{
    qm::SceneLight sun;
    sun.kind = qm::LightKind::Directional;
    sun.diffuse = {2, 1, 0.5f};
    const glm::mat4 turned = glm::scale(glm::rotate(glm::mat4(1.0f), glm::pi<float>() * 0.5f, {1, 0, 0}), glm::vec3(3.0f));
    const auto aimed = qm::aimedDirectionalLight(sun, turned);
    ASSERT_TRUE(aimed);
    EXPECT_NEAR(glm::distance(aimed->direction, glm::vec3(0, 1, 0)), 0.0f, 1e-6f);
    EXPECT_EQ(aimed->colour, glm::vec3(2, 1, 0.5f));
    EXPECT_FALSE(qm::aimedDirectionalLight(sun, glm::scale(glm::mat4(1.0f), glm::vec3(1, 1, 0))));
}

}  // namespace
