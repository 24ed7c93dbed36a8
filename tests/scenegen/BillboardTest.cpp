#include <gtest/gtest.h>

#include "Billboard.h"

namespace {

// A 2 x 2 x 2 box standing on y = 0: half extents (1, 1), so the picture
// spans x in [-1, 1] and y in [-2, 2] and the box fills its upper half.
TEST(Billboard, FramesTheMeshAroundItsOriginWithTheGroundAtMidHeight)
{
    const scenegen::GenMesh cube = scenegen::box({-1, 0, -1}, {1, 2, 1});
    const scenegen::Image picture = scenegen::renderBillboard(cube, [](glm::vec2) { return glm::vec3(1, 0, 0); }, 64);
    ASSERT_EQ(picture.width, 32);  // aspect 2 wide : 4 high
    ASSERT_EQ(picture.height, 64);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const glm::vec4 texel = picture.get(x, y);
            EXPECT_EQ(texel.a, y < 32 ? 1.0f : 0.0f) << x << ", " << y;
            EXPECT_GT(texel.r, 0.6f) << "transparent texels carry the covered colour";
            EXPECT_EQ(texel.g, 0.0f);
        }
    }
}

TEST(Billboard, SamplesTilingPicturesWithWrap)
{
    scenegen::Image image(2, 2);
    image.set(0, 0, {1, 0, 0, 1});
    image.set(1, 0, {0, 1, 0, 1});
    image.set(0, 1, {0, 0, 1, 1});
    EXPECT_EQ(scenegen::sampleRepeat(image, {0.25f, 0.25f}), glm::vec4(1, 0, 0, 1));
    EXPECT_EQ(scenegen::sampleRepeat(image, {1.75f, 0.25f}), glm::vec4(0, 1, 0, 1));
    EXPECT_EQ(scenegen::sampleRepeat(image, {-0.75f, 0.75f}), glm::vec4(0, 0, 1, 1));
    EXPECT_EQ(scenegen::sampleRepeat(image, {-0.25f, -0.25f}), glm::vec4(0, 0, 0, 0));
}

}  // namespace
