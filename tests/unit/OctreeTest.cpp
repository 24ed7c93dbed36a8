#include <gtest/gtest.h>

#include <algorithm>

#include "Frustum.h"
#include "Octree.h"

namespace {

using qm::BoundingBox;
using qm::Octree;
using qm::OctreeNode;

// The axis-aligned frustum -10 <= x, y, z <= 10, in the camera's plane order.
const std::array<qm::Plane, 6> cube = {{
    {{0, 0, 1}, 10}, {{0, 0, -1}, 10}, {{0, 1, 0}, 10}, {{0, -1, 0}, 10}, {{-1, 0, 0}, 10}, {{1, 0, 0}, 10},
}};

bool contains(const std::vector<std::uint32_t>& list, std::uint32_t object)
{
    return std::count(list.begin(), list.end(), object) > 0;
}

std::vector<std::uint32_t> query(const Octree& tree)
{
    std::vector<std::uint32_t> found;
    tree.query(cube, found);
    return found;
}

TEST(Octree, BoxesOverlapOnlyWhenTheyShareVolume)
{
    const BoundingBox unit = BoundingBox::fromMinMax({0, 0, 0}, {1, 1, 1});
    const struct {
        glm::vec3 min, max;
        bool overlaps;
    } cases[] = {
        {{0.5f, 0.5f, 0.5f}, {2, 2, 2}, true},
        {{1, 0, 0}, {2, 1, 1}, false},  // touching faces
        {{-1, -1, -1}, {0, 0, 0}, false},  // touching corners
        {{0.2f, 0.2f, 0.2f}, {0.3f, 0.3f, 0.3f}, true},  // inside
        {{0.5f, 2, 0.5f}, {0.6f, 3, 0.6f}, false},  // apart on one axis only
    };
    for (const auto& c : cases) {
        const BoundingBox other = BoundingBox::fromMinMax(c.min, c.max);
        EXPECT_EQ(qm::boxesOverlap(unit, other), c.overlaps);
        EXPECT_EQ(qm::boxesOverlap(other, unit), c.overlaps);
    }
}

TEST(Octree, RootHoldsTheOriginAndSplitsInChildOrder)
{
    Octree tree;
    tree.build(std::vector{BoundingBox::fromMinMax({10, 10, 10}, {12, 14, 12})});
    EXPECT_EQ(tree.nodes[0].box.min, glm::vec3(0, 0, 0));
    EXPECT_EQ(tree.nodes[0].box.max, glm::vec3(12, 14, 12));

    tree.nodes[0].box = BoundingBox::fromMinMax({-2, -2, -2}, {2, 2, 2});
    tree.subdivide(0);
    const glm::vec3 expectedCenters[8] = {{-1, 1, 1}, {-1, 1, -1}, {1, 1, 1}, {1, 1, -1},
                                          {-1, -1, 1}, {-1, -1, -1}, {1, -1, 1}, {1, -1, -1}};
    for (int i = 0; i < 8; ++i) {
        const OctreeNode& child = tree.nodes[tree.nodes[0].firstChild + std::uint32_t(i)];
        EXPECT_EQ(child.box.center, expectedCenters[i]) << i;
        EXPECT_EQ(child.box.halfExtents, glm::vec3(1));
        EXPECT_EQ(child.box.min, expectedCenters[i] - 1.0f);
        EXPECT_EQ(child.parent, 0u);
    }
}

TEST(Octree, AFullLeafSplitsAndRefilesItsObjects)
{
    // Two small objects in each octant, then one spanning the centre.
    std::vector<BoundingBox> objects;
    for (int octant = 0; octant < 8; ++octant) {
        const glm::vec3 sign(octant & 1 ? 1 : -1, octant & 2 ? 1 : -1, octant & 4 ? 1 : -1);
        for (const float at : {3.0f, 5.0f})
            objects.push_back(BoundingBox::fromMinMax(sign * at - 0.5f, sign * at + 0.5f));
    }
    const auto central = std::uint32_t(objects.size());
    objects.push_back(BoundingBox::fromMinMax({-1, -1, -1}, {1, 1, 1}));
    Octree tree;
    tree.build(objects);
    ASSERT_FALSE(tree.nodes[0].isLeaf());
    EXPECT_TRUE(tree.objectsOf(tree.nodes[0]).empty());
    for (std::uint32_t c = 0; c < 8; ++c) {
        const OctreeNode& child = tree.nodes[tree.nodes[0].firstChild + c];
        ASSERT_TRUE(child.isLeaf());
        const auto filed = tree.objectsOf(child);
        ASSERT_EQ(filed.size(), 3u);
        for (const std::uint32_t object : filed)
            EXPECT_TRUE(qm::boxesOverlap(child.box, objects[object]));
        EXPECT_EQ(filed.back(), central) << "the new object is filed after the refiled ones";
    }
    EXPECT_EQ(tree.collectAll(0).size(), 16u + 8u);
}

TEST(Octree, LeavesAtTheDepthLimitGrowWithoutLimit)
{
    std::vector<BoundingBox> objects;
    for (int i = 0; i < 100; ++i)
        objects.push_back(BoundingBox::fromMinMax({0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}));
    objects.push_back(BoundingBox::fromMinMax({-8, -8, -8}, {8, 8, 8}));
    Octree tree;
    tree.build(objects);

    // The fullest leaf, and its depth counted up through its parents.
    const auto fullest = std::max_element(tree.nodes.begin(), tree.nodes.end(),
                                          [](const OctreeNode& a, const OctreeNode& b) { return a.count < b.count; });
    EXPECT_EQ(fullest->count, 101u);
    int depth = 1;
    for (std::uint32_t node = std::uint32_t(fullest - tree.nodes.begin()); node != 0; node = tree.nodes[node].parent)
        ++depth;
    EXPECT_EQ(depth, tree.depthLimit);
}

TEST(Octree, AFlatBoxOnAChildBoundaryIsNotLost)
{
    std::vector<BoundingBox> objects;
    for (int i = 0; i < 16; ++i)
        objects.push_back(BoundingBox::fromMinMax({-4, -4, -4}, {4, 4, 4}));
    const auto flat = std::uint32_t(objects.size());
    objects.push_back(BoundingBox::fromMinMax({1, 0, 1}, {2, 0, 2}));  // zero height, on the plane y = 0
    Octree tree;
    tree.build(objects);
    ASSERT_FALSE(tree.nodes[0].isLeaf());
    EXPECT_TRUE(contains(tree.collectAll(0), flat));
    EXPECT_TRUE(contains(query(tree), flat));
}

TEST(Octree, BoxesAgainstThePlanes)
{
    using enum qm::FrustumTest;
    const struct {
        glm::vec3 min, max;
        qm::FrustumTest expected;
    } cases[] = {
        {{-1, -1, -1}, {1, 1, 1}, Inside},
        {{-10, -10, -10}, {10, 10, 10}, Inside},  // corners on the planes count as in
        {{-20, -20, -20}, {20, 20, 20}, Intersecting},
        // Beyond each plane in turn, then across three of them.
        {{11, 0, 0}, {12, 1, 1}, Outside}, {{-12, 0, 0}, {-11, 1, 1}, Outside}, {{0, 11, 0}, {1, 12, 1}, Outside},
        {{0, -12, 0}, {1, -11, 1}, Outside}, {{0, 0, 11}, {1, 1, 12}, Outside}, {{0, 0, -12}, {1, 1, -11}, Outside},
        {{9, 0, 0}, {11, 1, 1}, Intersecting}, {{0, -11, 0}, {1, -9, 1}, Intersecting},
        {{0, 0, 9}, {1, 1, 11}, Intersecting},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::boxInFrustum(BoundingBox::fromMinMax(c.min, c.max), cube), c.expected)
            << c.min.x << " " << c.min.y << " " << c.min.z;
}

TEST(Octree, QueryReturnsEachVisibleObjectOnceByItsCurrentBox)
{
    std::vector<BoundingBox> objects;
    for (int i = 0; i < 200; ++i) {
        const float x = -30.0f + 0.3f * float(i);
        objects.push_back(BoundingBox::fromMinMax({x, -1, -1}, {x + 1, 1, 1}));
    }
    const auto spanning = std::uint32_t(objects.size());
    objects.push_back(BoundingBox::fromMinMax({-2, -2, -2}, {2, 2, 2}));
    Octree tree;
    tree.build(objects);

    const auto found = query(tree);
    EXPECT_EQ(std::count(found.begin(), found.end(), spanning), 1);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    for (std::uint32_t object = 0; object < objects.size(); ++object) {
        const bool visible = objects[object].max.x >= -10.0f && objects[object].min.x <= 10.0f;
        EXPECT_EQ(contains(found, object), visible) << objects[object].min.x;
    }

    // The final test uses the boxes as they are now, not as they were filed.
    const std::uint32_t moved = 100;
    ASSERT_TRUE(contains(found, moved));
    tree.move(moved, BoundingBox::fromMinMax({50, 50, 50}, {51, 51, 51}));
    EXPECT_FALSE(contains(query(tree), moved));
    // One that moved into view is still found only where it was filed.
    const std::uint32_t farAway = 0;
    tree.move(farAway, BoundingBox::fromMinMax({0, 0, 0}, {1, 1, 1}));
    EXPECT_FALSE(contains(query(tree), farAway));
}

}  // namespace
