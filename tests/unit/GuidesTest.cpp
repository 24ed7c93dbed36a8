#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Guides.h"

namespace {

using qm::BoundingBox;

// A metre for models a few metres to a few tens across; a power of ten
// for smaller and larger ones; a metre where there is no footprint.
TEST(Guides, GridSpacingFollowsTheFootprint)
{
    const struct {
        glm::vec3 size;
        float spacing;
    } cases[] = {
        {{5, 1, 2}, 1.0f},      {{1, 30, 30}, 1.0f},  {{40, 1, 1}, 10.0f},      {{0.5f, 9, 0.2f}, 0.1f},
        {{0.17f, 1, 0}, 0.01f}, {{0, 50, 0}, 1.0f},   {{3e5f, 1, 1}, 1e4f},
        {{std::numeric_limits<float>::infinity(), 1, 1}, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(qm::gridSpacing(BoundingBox::fromMinMax(-c.size * 0.5f, c.size * 0.5f)), c.spacing)
            << c.size.x << " x " << c.size.z;
}

// The grid lies on the ground under the model, its lines on whole
// multiples of the spacing, round the footprint; the axes reach past the
// model.
TEST(Guides, GridUnderTheModelAndAxesPastIt)
{
    qm::Guides guides{BoundingBox::fromMinMax({9, -1, -1}, {11, 1, 1}), true, false};
    std::vector<qm::GuideVertex> lines;
    qm::appendGuideLines(guides, lines);
    ASSERT_EQ(lines.size(), 4u * 33u);  // 0.1 m apart, 16 lines each side of the middle
    glm::vec3 low(1e9f), high(-1e9f);
    for (const qm::GuideVertex& end : lines) {
        EXPECT_FLOAT_EQ(end.position.y, -1.0f);
        EXPECT_NEAR(end.position.x * 10.0f, std::round(end.position.x * 10.0f), 1e-3f);
        low = glm::min(low, end.position);
        high = glm::max(high, end.position);
    }
    EXPECT_LT(low.x, 9.0f);
    EXPECT_GT(high.x, 11.0f);
    EXPECT_LT(low.z, -1.0f);
    EXPECT_GT(high.z, 1.0f);

    lines.clear();
    guides = {BoundingBox::fromMinMax({-3e5f, 0, -3e5f}, {3e5f, 1, 3e5f}), false, true};
    qm::appendGuideLines(guides, lines);
    ASSERT_EQ(lines.size(), 6u);
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(lines[2 * std::size_t(axis)].position, glm::vec3(0.0f));
        EXPECT_GT(lines[2 * std::size_t(axis) + 1].position[axis], 3e5f * std::sqrt(2.0f));
        EXPECT_FLOAT_EQ(lines[2 * std::size_t(axis) + 1].colour[axis], 1.0f);
    }

    lines.clear();
    qm::appendGuideLines({BoundingBox::empty(), true, true}, lines);
    EXPECT_TRUE(lines.empty());
}

}  // namespace
