#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "BoundingBox.h"
#include "Plane.h"

namespace qm {

// A node of the octree: a leaf holds objects by number, an inner node
// exactly eight children, side by side in the tree's node list.
struct OctreeNode {
    BoundingBox box;
    // The first of the eight children; 0 for a leaf (the root is no one's child).
    std::uint32_t firstChild = 0;
    std::uint32_t parent = 0;
    // A leaf's objects: the tree's filed entries from `first`, `count` of them.
    std::uint32_t first = 0;
    std::uint32_t count = 0;

    bool isLeaf() const { return firstChild == 0; }
};

// A spatial index over numbered objects' load-time boxes, built once and
// queried every frame for the objects that may be in view. An object
// overlapping several children is filed in each of them. The objects are
// numbered by their place in the box lists the tree is given.
class Octree {
public:
    // Files objects 0 to n - 1 under a root box that holds them all and the origin.
    void build(std::span<const BoundingBox> boxes);
    // Splits a leaf into eight children in child order (while building).
    void subdivide(std::uint32_t node);
    // A leaf's objects, in the order they were filed.
    std::span<const std::uint32_t> objectsOf(const OctreeNode& leaf) const
    {
        return {filed_.data() + leaf.first, leaf.count};
    }
    // The objects of every leaf below the node, duplicates included.
    std::vector<std::uint32_t> collectAll(std::uint32_t node) const;
    // An object's box now, where it has moved since it was filed.
    void move(std::uint32_t object, const BoundingBox& box);
    // The objects whose current boxes are inside or intersect the frustum,
    // each once, in ascending number.
    void query(const std::array<Plane, 6>& frustum, std::vector<std::uint32_t>& found) const;

    // The root first, once built.
    std::vector<OctreeNode> nodes;
    int leafCapacity = 16;
    int depthLimit = 4;

private:
    void insert(std::uint32_t node, int depth, std::uint32_t object, std::span<const BoundingBox> boxes);
    void insertIntoChildren(std::uint32_t node, int depth, std::uint32_t object, std::span<const BoundingBox> boxes);
    // Lays the leaves' objects out one after the other.
    void flatten(std::span<const BoundingBox> boxes);
    // Marks every object filed in a leaf at or below the node as reached.
    void markReached(const OctreeNode& node) const;
    // Of the (up to 64) objects from `first`, which are outside the planes by
    // their current boxes: a nonzero entry for each.
    void testOutside(std::uint32_t first, std::uint32_t count, const std::array<Plane, 6>& frustum,
                     std::array<std::uint32_t, 64>& outside) const;

    // The leaves' objects while building, by node.
    std::vector<std::vector<std::uint32_t>> filing_;
    // Every leaf's objects in a row.
    std::vector<std::uint32_t> filed_;
    // Each object's current box, its low and high corner one array a
    // coordinate in object order: the objects a query reached are tested
    // once each, several at a time.
    std::array<std::vector<float>, 3> lows_;
    std::array<std::vector<float>, 3> highs_;
    // One bit an object for the query in progress: set when a leaf it is
    // filed in is reached, so that one filed in several leaves is tested
    // once, in order. Bits rather than bytes keep a million objects' marks
    // in the second-level cache.
    mutable std::vector<std::uint64_t> reached_;
    // Room for every object, which the query's result is gathered in.
    mutable std::vector<std::uint32_t> visible_;
    // The nodes a query has yet to look at.
    mutable std::vector<std::uint32_t> pending_;
};

// Boxes overlap when they share volume on all three axes; touching is not enough.
bool boxesOverlap(const BoundingBox& a, const BoundingBox& b);

}  // namespace qm
