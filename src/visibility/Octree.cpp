#include "Octree.h"

#include <algorithm>
#include <queue>

#include "Frustum.h"
#include "SceneObject.h"

namespace qm {

bool boxesOverlap(const BoundingBox& a, const BoundingBox& b)
{
    return glm::all(glm::greaterThan(a.max, b.min)) && glm::all(glm::greaterThan(b.max, a.min));
}

namespace {

bool boxesTouch(const BoundingBox& a, const BoundingBox& b)
{
    return glm::all(glm::greaterThanEqual(a.max, b.min)) && glm::all(glm::greaterThanEqual(b.max, a.min));
}

// Child order by the signs of its offset from the parent's centre (x, y, z).
constexpr std::array<glm::vec3, 8> childSigns = {{
    {-1, 1, 1}, {-1, 1, -1}, {1, 1, 1}, {1, 1, -1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, 1}, {1, -1, -1},
}};

}  // namespace

void Octree::build(const std::vector<std::shared_ptr<SceneObject>>& objects)
{
    glm::vec3 lo(0.0f);
    glm::vec3 hi(0.0f);
    for (const auto& object : objects) {
        lo = glm::min(lo, object->boundingBox.min);
        hi = glm::max(hi, object->boundingBox.max);
    }
    if (!root) {
        root = std::make_unique<OctreeNode>();
        root->box = BoundingBox::fromMinMax(lo, hi);
    }
    for (const auto& object : objects)
        insert(*root, 1, object);
}

void Octree::insertIntoChildren(OctreeNode& node, int depth, const std::shared_ptr<SceneObject>& object)
{
    bool filed = false;
    for (OctreeNode& child : *node.children) {
        if (boxesOverlap(child.box, object->boundingBox)) {
            insert(child, depth + 1, object);
            filed = true;
        }
    }
    // A flat box lying on a boundary overlaps no child strictly; rather than
    // lose it, file it wherever it touches.
    if (!filed) {
        for (OctreeNode& child : *node.children) {
            if (boxesTouch(child.box, object->boundingBox))
                insert(child, depth + 1, object);
        }
    }
}

void Octree::insert(OctreeNode& node, int depth, const std::shared_ptr<SceneObject>& object)
{
    if (!node.isLeaf()) {
        insertIntoChildren(node, depth, object);
    } else if (depth == depthLimit || int(node.objects.size()) < leafCapacity) {
        node.objects.push_back(object);
    } else {
        subdivide(node);
        for (const auto& stored : node.objects)
            insertIntoChildren(node, depth, stored);
        node.objects.clear();
        insertIntoChildren(node, depth, object);
    }
}

void Octree::subdivide(OctreeNode& node)
{
    node.children = std::make_unique<std::array<OctreeNode, 8>>();
    const glm::vec3 half = node.box.halfExtents * 0.5f;
    for (std::size_t i = 0; i < 8; ++i) {
        OctreeNode& child = (*node.children)[i];
        child.parent = &node;
        const glm::vec3 center = node.box.center + childSigns[i] * half;
        child.box = {center, half, center - half, center + half};
    }
}

void Octree::appendVisible(const OctreeNode& node, const std::array<Plane, 6>& frustum,
                           std::vector<SceneObject*>& out) const
{
    if (node.isLeaf()) {
        for (const auto& object : node.objects) {
            if (object->lastQuery == queries)
                continue;
            object->lastQuery = queries;
            // Objects may have moved since they were filed: test their current boxes.
            if (boxInFrustum(object->boundingBox, frustum) != FrustumTest::Outside)
                out.push_back(object.get());
        }
        return;
    }
    for (const OctreeNode& child : *node.children)
        appendVisible(child, frustum, out);
}

std::vector<std::shared_ptr<SceneObject>> Octree::collectAll(const OctreeNode& node) const
{
    if (node.isLeaf())
        return node.objects;
    std::vector<std::shared_ptr<SceneObject>> all;
    for (const OctreeNode& child : *node.children) {
        const auto below = collectAll(child);
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

std::vector<SceneObject*> Octree::query(const std::array<Plane, 6>& frustum) const
{
    // Raw pointers: a frame touches thousands of objects, and counting
    // references to each would cost more than the walk itself.
    std::vector<SceneObject*> found;
    if (!root)
        return found;
    ++queries;
    std::queue<const OctreeNode*> pending;
    pending.push(root.get());
    while (!pending.empty()) {
        const OctreeNode& node = *pending.front();
        pending.pop();
        // Leaves are not box-tested: their objects are tested one by one.
        const FrustumTest test = node.isLeaf() ? FrustumTest::Inside : boxInFrustum(node.box, frustum);
        if (test == FrustumTest::Inside) {
            appendVisible(node, frustum, found);
        } else if (test == FrustumTest::Intersecting) {
            for (const OctreeNode& child : *node.children)
                pending.push(&child);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace qm
