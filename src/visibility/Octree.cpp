#include "Octree.h"

#include <algorithm>

#include "Frustum.h"

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

void Octree::build(std::span<const BoundingBox> boxes)
{
    // The root holds the origin as well as every box.
    BoundingBox root;
    for (const BoundingBox& box : boxes)
        root.grow(box.min, box.max);
    nodes.assign(1, OctreeNode{});
    nodes[0].box = root;
    filing_.assign(1, {});
    for (std::uint32_t object = 0; object < boxes.size(); ++object)
        insert(0, 1, object, boxes);
    flatten(boxes);
}

void Octree::insertIntoChildren(std::uint32_t node, int depth, std::uint32_t object,
                                std::span<const BoundingBox> boxes)
{
    const BoundingBox& box = boxes[object];
    bool filed = false;
    for (std::uint32_t child = nodes[node].firstChild; child < nodes[node].firstChild + 8; ++child) {
        if (boxesOverlap(nodes[child].box, box)) {
            insert(child, depth + 1, object, boxes);
            filed = true;
        }
    }
    // A flat box lying on a boundary overlaps no child strictly; rather than
    // lose it, file it wherever it touches.
    if (!filed) {
        for (std::uint32_t child = nodes[node].firstChild; child < nodes[node].firstChild + 8; ++child) {
            if (boxesTouch(nodes[child].box, box))
                insert(child, depth + 1, object, boxes);
        }
    }
}

void Octree::insert(std::uint32_t node, int depth, std::uint32_t object, std::span<const BoundingBox> boxes)
{
    if (!nodes[node].isLeaf()) {
        insertIntoChildren(node, depth, object, boxes);
    } else if (depth == depthLimit || int(filing_[node].size()) < leafCapacity) {
        filing_[node].push_back(object);
    } else {
        subdivide(node);
        const std::vector<std::uint32_t> stored = std::move(filing_[node]);
        filing_[node].clear();
        for (std::uint32_t refiled : stored)
            insertIntoChildren(node, depth, refiled, boxes);
        insertIntoChildren(node, depth, object, boxes);
    }
}

void Octree::subdivide(std::uint32_t node)
{
    const auto first = std::uint32_t(nodes.size());
    nodes.resize(nodes.size() + 8);
    filing_.resize(nodes.size());
    nodes[node].firstChild = first;
    const BoundingBox& box = nodes[node].box;
    const glm::vec3 half = box.halfExtents * 0.5f;
    for (std::uint32_t i = 0; i < 8; ++i) {
        OctreeNode& child = nodes[first + i];
        child.parent = node;
        const glm::vec3 center = box.center + childSigns[i] * half;
        child.box = {center, half, center - half, center + half};
    }
}

void Octree::flatten(std::span<const BoundingBox> boxes)
{
    filed_.clear();
    for (std::size_t node = 0; node < nodes.size(); ++node) {
        nodes[node].first = std::uint32_t(filed_.size());
        nodes[node].count = std::uint32_t(filing_[node].size());
        filed_.insert(filed_.end(), filing_[node].begin(), filing_[node].end());
    }
    filing_.clear();
    for (int axis = 0; axis < 3; ++axis) {
        lows_[axis].resize(boxes.size());
        highs_[axis].resize(boxes.size());
    }
    for (std::uint32_t object = 0; object < boxes.size(); ++object)
        move(object, boxes[object]);
    reached_.assign((boxes.size() + 63) / 64, 0);
    visible_.resize(boxes.size());
}

void Octree::move(std::uint32_t object, const BoundingBox& box)
{
    // The corners as boxInFrustum forms them, centre plus or minus half extent.
    for (int axis = 0; axis < 3; ++axis) {
        lows_[axis][object] = box.center[axis] - box.halfExtents[axis];
        highs_[axis][object] = box.center[axis] + box.halfExtents[axis];
    }
}

void Octree::markReached(const OctreeNode& node) const
{
    if (!node.isLeaf()) {
        for (std::uint32_t child = node.firstChild; child < node.firstChild + 8; ++child)
            markReached(nodes[child]);
        return;
    }
    for (const std::uint32_t object : objectsOf(node))
        reached_[object / 64] |= std::uint64_t(1) << (object % 64);
}

namespace {

using Corners = std::array<std::vector<float>, 3>;

// The test of boxInFrustum, reduced to whether a box is outside: for each
// plane the corner farthest along its normal, in the same arithmetic.
[[gnu::always_inline]] inline void markOutside(const Corners& lows, const Corners& highs, std::uint32_t first,
                                               std::uint32_t count, const std::array<Plane, 6>& frustum,
                                               std::array<std::uint32_t, 64>& outside)
{
    outside.fill(0);
    for (const Plane& plane : frustum) {
        const glm::vec3 n = plane.normal;
        const float* px = (n.x >= 0.0f ? highs[0] : lows[0]).data() + first;
        const float* py = (n.y >= 0.0f ? highs[1] : lows[1]).data() + first;
        const float* pz = (n.z >= 0.0f ? highs[2] : lows[2]).data() + first;
        for (std::uint32_t i = 0; i < count; ++i) {
            const float distance = n.x * px[i] + n.y * py[i] + n.z * pz[i] + plane.d;
            outside[i] |= std::uint32_t(!(distance >= 0.0f));
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same, built for AVX2 as well: eight boxes a step instead of four. AVX2
// alone brings no fused multiply-add, so both versions round alike.
[[gnu::target("avx2")]] void markOutsideWithAvx2(const Corners& lows, const Corners& highs, std::uint32_t first,
                                                 std::uint32_t count, const std::array<Plane, 6>& frustum,
                                                 std::array<std::uint32_t, 64>& outside)
{
    markOutside(lows, highs, first, count, frustum, outside);
}
#endif

}  // namespace

void Octree::testOutside(std::uint32_t first, std::uint32_t count, const std::array<Plane, 6>& frustum,
                         std::array<std::uint32_t, 64>& outside) const
{
#if defined(__x86_64__) || defined(__i386__)
    // Chosen at the first query, not by the loader: a choice made while the
    // program is being loaded runs before the thread sanitizer is ready for it.
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        markOutsideWithAvx2(lows_, highs_, first, count, frustum, outside);
        return;
    }
#endif
    markOutside(lows_, highs_, first, count, frustum, outside);
}

std::vector<std::uint32_t> Octree::collectAll(std::uint32_t node) const
{
    if (nodes[node].isLeaf()) {
        const auto objects = objectsOf(nodes[node]);
        return {objects.begin(), objects.end()};
    }
    std::vector<std::uint32_t> all;
    for (std::uint32_t child = nodes[node].firstChild; child < nodes[node].firstChild + 8; ++child) {
        const auto below = collectAll(child);
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

void Octree::query(const std::array<Plane, 6>& frustum, std::vector<std::uint32_t>& found) const
{
    found.clear();
    if (nodes.empty())
        return;
    std::vector<std::uint32_t>& pending = pending_;
    pending.assign(1, 0);
    while (!pending.empty()) {
        const OctreeNode& node = nodes[pending.back()];
        pending.pop_back();
        // Leaves are not box-tested: their objects are tested at the end.
        const FrustumTest test = node.isLeaf() ? FrustumTest::Inside : boxInFrustum(node.box, frustum);
        if (test == FrustumTest::Inside) {
            markReached(node);
        } else if (test == FrustumTest::Intersecting) {
            for (std::uint32_t child = node.firstChild; child < node.firstChild + 8; ++child)
                pending.push_back(child);
        }
    }
    // Each reached object tested once by its current box, 64 neighbours in
    // number at a time, and written out in ascending number without a
    // branch; the marks are cleared for the next query.
    const auto objects = std::uint32_t(lows_[0].size());
    std::array<std::uint32_t, 64> outside;
    std::uint32_t visible = 0;
    for (std::uint32_t w = 0; w < reached_.size(); ++w) {
        const std::uint64_t reached = reached_[w];
        if (reached == 0)
            continue;
        reached_[w] = 0;
        const std::uint32_t first = w * 64;
        const std::uint32_t count = std::min<std::uint32_t>(64, objects - first);
        testOutside(first, count, frustum, outside);
        for (std::uint32_t i = 0; i < count; ++i) {
            visible_[visible] = first + i;
            visible += std::uint32_t(reached >> i) & std::uint32_t(outside[i] == 0);
        }
    }
    found.assign(visible_.begin(), visible_.begin() + visible);
}

}  // namespace qm
