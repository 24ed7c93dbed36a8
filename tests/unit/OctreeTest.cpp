#include <gtest/gtest.h>

#include "Frustum.h"
#include "Octree.h"
#include "SceneObject.h"

namespace {

using qm::BoundingBox;
using qm::FrustumTest;
using qm::Octree;
using qm::OctreeNode;
using qm::Plane;
using qm::SceneObject;

std::shared_ptr<SceneObject> objectAt(glm::vec3 min, glm::vec3 max)
{
    auto object = std::make_shared<SceneObject>();
    object->boundingBox = BoundingBox::fromMinMax(min, max);
    return object;
}

// The axis-aligned frustum -10 <= x, y, z <= 10, in the camera's plane order.
const std::array<Plane, 6> cube = {{
    {{0, 0, 1}, 10}, {{0, 0, -1}, 10}, {{0, 1, 0}, 10}, {{0, -1, 0}, 10}, {{-1, 0, 0}, 10}, {{1, 0, 0}, 10},
}};

bool contains(const std::vector<std::shared_ptr<SceneObject>>& list, const std::shared_ptr<SceneObject>& object)
{
    return std::count(list.begin(), list.end(), object) > 0;
}

bool contains(const std::vector<SceneObject*>& list, const std::shared_ptr<SceneObject>& object)
{
    return std::count(list.begin(), list.end(), object.get()) > 0;
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
    tree.build({objectAt({10, 10, 10}, {12, 14, 12})});
    EXPECT_EQ(tree.root->box.min, glm::vec3(0, 0, 0));
    EXPECT_EQ(tree.root->box.max, glm::vec3(12, 14, 12));

    OctreeNode node;
    node.box = BoundingBox::fromMinMax({-2, -2, -2}, {2, 2, 2});
    tree.subdivide(node);
    const glm::vec3 expectedCenters[8] = {{-1, 1, 1}, {-1, 1, -1}, {1, 1, 1}, {1, 1, -1},
                                          {-1, -1, 1}, {-1, -1, -1}, {1, -1, 1}, {1, -1, -1}};
    for (int i = 0; i < 8; ++i) {
        const OctreeNode& child = (*node.children)[std::size_t(i)];
        EXPECT_EQ(child.box.center, expectedCenters[i]) << i;
        EXPECT_EQ(child.box.halfExtents, glm::vec3(1));
        EXPECT_EQ(child.box.min, expectedCenters[i] - 1.0f);
        EXPECT_EQ(child.parent, &node);
    }
}

TEST(Octree, AFullLeafSplitsAndRefilesItsObjects)
{
    // Two small objects in each octant, then one spanning the centre.
    std::vector<std::shared_ptr<SceneObject>> objects;
    for (int octant = 0; octant < 8; ++octant) {
        const glm::vec3 sign(octant & 1 ? 1 : -1, octant & 2 ? 1 : -1, octant & 4 ? 1 : -1);
        for (const float at : {3.0f, 5.0f})
            objects.push_back(objectAt(sign * at - 0.5f, sign * at + 0.5f));
    }
    const auto central = objectAt({-1, -1, -1}, {1, 1, 1});

    Octree sixteen;
    sixteen.build(objects);
    EXPECT_TRUE(sixteen.root->isLeaf());
    EXPECT_EQ(sixteen.root->objects.size(), 16u);

    objects.push_back(central);
    Octree tree;
    tree.build(objects);
    ASSERT_FALSE(tree.root->isLeaf());
    EXPECT_TRUE(tree.root->objects.empty());
    for (const OctreeNode& child : *tree.root->children) {
        ASSERT_TRUE(child.isLeaf());
        ASSERT_EQ(child.objects.size(), 3u);
        for (const auto& object : child.objects)
            EXPECT_TRUE(qm::boxesOverlap(child.box, object->boundingBox));
        EXPECT_EQ(child.objects.back(), central) << "the new object is filed after the refiled ones";
    }
    EXPECT_EQ(tree.collectAll(*tree.root).size(), 16u + 8u);
}

TEST(Octree, LeavesAtTheDepthLimitGrowWithoutLimit)
{
    std::vector<std::shared_ptr<SceneObject>> objects;
    for (int i = 0; i < 100; ++i)
        objects.push_back(objectAt({0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}));
    objects.push_back(objectAt({-8, -8, -8}, {8, 8, 8}));
    Octree tree;
    tree.build(objects);

    // The fullest leaf and its depth.
    std::size_t most = 0;
    int depthOfMost = 0;
    const auto walk = [&](const OctreeNode& node, int depth, auto&& self) -> void {
        if (node.isLeaf()) {
            if (node.objects.size() > most) {
                most = node.objects.size();
                depthOfMost = depth;
            }
            return;
        }
        for (const OctreeNode& child : *node.children)
            self(child, depth + 1, self);
    };
    walk(*tree.root, 1, walk);
    EXPECT_EQ(most, 101u);
    EXPECT_EQ(depthOfMost, tree.depthLimit);
}

TEST(Octree, AFlatBoxOnAChildBoundaryIsNotLost)
{
    std::vector<std::shared_ptr<SceneObject>> objects;
    for (int i = 0; i < 16; ++i)
        objects.push_back(objectAt({-4, -4, -4}, {4, 4, 4}));
    const auto flat = objectAt({1, 0, 1}, {2, 0, 2});  // zero height, on the plane y = 0
    objects.push_back(flat);
    Octree tree;
    tree.build(objects);
    ASSERT_FALSE(tree.root->isLeaf());
    const auto all = tree.collectAll(*tree.root);
    EXPECT_TRUE(contains(all, flat));
    EXPECT_TRUE(contains(tree.query(cube), flat));
}

TEST(Octree, BoxesAgainstThePlanes)
{
    const struct {
        glm::vec3 min, max;
        FrustumTest expected;
    } cases[] = {
        {{-1, -1, -1}, {1, 1, 1}, FrustumTest::Inside},
        {{-10, -10, -10}, {10, 10, 10}, FrustumTest::Inside},  // corners on the planes count as in
        {{-20, -20, -20}, {20, 20, 20}, FrustumTest::Intersecting},
        {{11, 0, 0}, {12, 1, 1}, FrustumTest::Outside},
        {{-12, 0, 0}, {-11, 1, 1}, FrustumTest::Outside},
        {{0, 11, 0}, {1, 12, 1}, FrustumTest::Outside},
        {{0, -12, 0}, {1, -11, 1}, FrustumTest::Outside},
        {{0, 0, 11}, {1, 1, 12}, FrustumTest::Outside},
        {{0, 0, -12}, {1, 1, -11}, FrustumTest::Outside},
        {{9, 0, 0}, {11, 1, 1}, FrustumTest::Intersecting},
        {{0, -11, 0}, {1, -9, 1}, FrustumTest::Intersecting},
        {{0, 0, 9}, {1, 1, 11}, FrustumTest::Intersecting},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::boxInFrustum(BoundingBox::fromMinMax(c.min, c.max), cube), c.expected)
            << c.min.x << " " << c.min.y << " " << c.min.z;
}

TEST(Octree, QueryReturnsEachVisibleObjectOnceByItsCurrentBox)
{
    std::vector<std::shared_ptr<SceneObject>> objects;
    for (int i = 0; i < 40; ++i) {
        const float x = -30.0f + 1.5f * float(i);
        objects.push_back(objectAt({x, -1, -1}, {x + 1, 1, 1}));
    }
    const auto spanning = objectAt({-2, -2, -2}, {2, 2, 2});
    objects.push_back(spanning);
    Octree tree;
    tree.build(objects);

    const auto found = tree.query(cube);
    EXPECT_EQ(std::count(found.begin(), found.end(), spanning.get()), 1);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    for (const auto& object : objects) {
        const bool visible = object->boundingBox.max.x >= -10.0f && object->boundingBox.min.x <= 10.0f;
        EXPECT_EQ(contains(found, object), visible) << object->boundingBox.min.x;
    }

    // The final test uses the boxes as they are now, not as they were filed.
    const auto moved = objects[20];
    ASSERT_TRUE(contains(found, moved));
    moved->boundingBox = BoundingBox::fromMinMax({50, 50, 50}, {51, 51, 51});
    EXPECT_FALSE(contains(tree.query(cube), moved));
}

}  // namespace
