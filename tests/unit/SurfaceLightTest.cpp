// The GL-free parts of drawing physically based surfaces: the environment's
// harmonics and the texture transform.
#include <gtest/gtest.h>

#include <cmath>

#include "EnvironmentLight.h"
#include "TextureTransform.h"

namespace {

qm::EnvironmentImage environmentOf(int size, float (*radiance)(const glm::vec3&))
{
    qm::EnvironmentImage image;
    image.size = size;
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                image.faces[std::size_t(face)].push_back(
                    glm::vec3(radiance(glm::normalize(qm::cubeTexelDirection(face, x, y, size)))));
    return image;
}

TEST(EnvironmentLight, FacesLookAlongTheirAxes)
{
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int face = 0; face < 6; ++face) {
        // The centre of an even face lies between four texels; their mean is the axis.
        glm::vec3 sum(0.0f);
        for (const auto& [x, y] : {std::pair{3, 3}, {4, 3}, {3, 4}, {4, 4}})
            sum += qm::cubeTexelDirection(face, x, y, 8);
        EXPECT_LT(glm::distance(sum / 4.0f, axes[face]), 1e-6f) << face;
    }
}

// The harmonics integrate the sphere: a uniform radiance L has L00 = L
// sqrt(4 pi) and nothing else, whose irradiance is pi L on every surface; a
// sky brighter above leans the first band upwards.
TEST(EnvironmentLight, HarmonicsIntegrateTheSphere)
{
    const auto uniform = qm::radianceHarmonics(environmentOf(32, [](const glm::vec3&) { return 0.5f; }));
    EXPECT_NEAR(uniform[0].x, 0.5f * std::sqrt(4.0f * float(M_PI)), 2e-3f);
    for (std::size_t k = 1; k < 9; ++k)
        EXPECT_NEAR(uniform[k].x, 0.0f, 2e-3f) << k;
    EXPECT_NEAR(0.886227f * uniform[0].x, float(M_PI) * 0.5f, 2e-3f);

    const auto sky = qm::radianceHarmonics(environmentOf(32, [](const glm::vec3& d) { return d.y > 0 ? 1.0f : 0.0f; }));
    EXPECT_GT(sky[1].x, 0.5f) << "L1-1 follows y";
    EXPECT_NEAR(sky[2].x, 0.0f, 2e-3f);
    EXPECT_NEAR(sky[3].x, 0.0f, 2e-3f);

    const auto neutral = qm::radianceHarmonics(qm::neutralEnvironment(16));
    EXPECT_GT(neutral[1].x, 0.0f) << "the neutral light comes from above";
    EXPECT_EQ(neutral[0].x, neutral[0].z) << "and has no colour";
}

TEST(TextureTransform, ActsOnTheFilesCoordinatesNotTheFlippedOnes)
{
    // What the file's (u, v) becomes, seen through the viewer's flipped v.
    const auto apply = [](const qm::SceneTexture& t, glm::vec2 fileUv) {
        const glm::vec3 flipped = qm::textureTransform(t) * glm::vec3(fileUv.x, 1.0f - fileUv.y, 1.0f);
        return glm::vec2(flipped.x, 1.0f - flipped.y);
    };
    const struct {
        const char* name;
        qm::SceneTexture texture;
        glm::vec2 in;
        glm::vec2 out;
    } cases[] = {
        {"none", {}, {0.25f, 0.75f}, {0.25f, 0.75f}},
        {"offset", {.offset = {0.5f, 0.25f}}, {0.1f, 0.1f}, {0.6f, 0.35f}},
        {"scale", {.scale = {2.0f, 3.0f}}, {0.1f, 0.1f}, {0.2f, 0.3f}},
        // glTF's rotation turns u towards -v: a quarter turn takes (1, 0) to (0, -1).
        {"rotation", {.rotation = float(M_PI) / 2.0f}, {1.0f, 0.0f}, {0.0f, -1.0f}},
    };
    for (const auto& c : cases) {
        const glm::vec2 got = apply(c.texture, c.in);
        EXPECT_NEAR(got.x, c.out.x, 1e-6f) << c.name;
        EXPECT_NEAR(got.y, c.out.y, 1e-6f) << c.name;
    }
}

}  // namespace
