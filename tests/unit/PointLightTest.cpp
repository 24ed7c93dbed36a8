#include <gtest/gtest.h>

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

}  // namespace
