#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "BoundingBox.h"
#include "Plane.h"

namespace qm {

class Camera;
class SceneObject;

// A node of the octree: a leaf holds objects, an inner node exactly eight children.
struct OctreeNode {
    OctreeNode* parent = nullptr;
    std::unique_ptr<std::array<OctreeNode, 8>> children;
    std::vector<std::shared_ptr<SceneObject>> objects;
    BoundingBox box;

    bool isLeaf() const { return children == nullptr; }
};

// A spatial index over the objects' load-time boxes, built once and queried
// every frame for the objects that may be in view. An object overlapping
// several children is filed in each of them.
class Octree {
public:
    // Files the objects under a root box that holds them all and the origin.
    void build(const std::vector<std::shared_ptr<SceneObject>>& objects);
    void insert(OctreeNode& node, int depth, const std::shared_ptr<SceneObject>& object);
    void subdivide(OctreeNode& node);
    // The objects of every leaf below the node, duplicates included.
    std::vector<std::shared_ptr<SceneObject>> collectAll(const OctreeNode& node) const;
    // The objects whose current boxes are inside or intersect the frustum,
    // each once, ordered by address (an ordered set in a flat vector). The
    // pointers stay valid as long as the tree holds the objects.
    std::vector<SceneObject*> query(const std::array<Plane, 6>& frustum) const;

    std::unique_ptr<OctreeNode> root;
    int leafCapacity = 16;
    int depthLimit = 4;

private:
    // Numbers the queries; an object remembers the last one that met it, so
    // that one filed in several leaves is looked at once.
    mutable std::uint64_t queries = 0;
    void insertIntoChildren(OctreeNode& node, int depth, const std::shared_ptr<SceneObject>& object);
    // Appends the objects below the node that this query meets for the first
    // time and whose current boxes are in view.
    void appendVisible(const OctreeNode& node, const std::array<Plane, 6>& frustum,
                       std::vector<SceneObject*>& out) const;
};

// Boxes overlap when they share volume on all three axes; touching is not enough.
bool boxesOverlap(const BoundingBox& a, const BoundingBox& b);

}  // namespace qm
