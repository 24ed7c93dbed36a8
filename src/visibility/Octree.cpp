#include "Octree.h"

#include <algorithm>
#include <bit>

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
    glm::vec3 lo(0.0f);
    glm::vec3 hi(0.0f);
    for (const BoundingBox& box : boxes) {
        lo = glm::min(lo, box.min);
        hi = glm::max(hi, box.max);
    }
    nodes.assign(1, OctreeNode{});
    nodes[0].box = BoundingBox::fromMinMax(lo, hi);
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
    for (int axis = 0; axis < 3; ++axis) {
        centers_[axis].clear();
        halves_[axis].clear();
    }
    firstPlace_.assign(boxes.size() + 1, 0);
    for (std::size_t node = 0; node < nodes.size(); ++node) {
        nodes[node].first = std::uint32_t(filed_.size());
        nodes[node].count = std::uint32_t(filing_[node].size());
        for (const std::uint32_t object : filing_[node]) {
            filed_.push_back(object);
            for (int axis = 0; axis < 3; ++axis) {
                centers_[axis].push_back(boxes[object].center[axis]);
                halves_[axis].push_back(boxes[object].halfExtents[axis]);
            }
            ++firstPlace_[object + 1];
        }
    }
    filing_.clear();
    for (std::size_t object = 0; object < boxes.size(); ++object)
        firstPlace_[object + 1] += firstPlace_[object];
    placesOf_.resize(filed_.size());
    std::vector<std::uint32_t> next(firstPlace_.begin(), firstPlace_.end() - 1);
    for (std::uint32_t place = 0; place < filed_.size(); ++place)
        placesOf_[next[filed_[place]]++] = place;
    inView_.assign((boxes.size() + 63) / 64, 0);
}

void Octree::move(std::uint32_t object, const BoundingBox& box)
{
    for (std::uint32_t p = firstPlace_[object]; p < firstPlace_[object + 1]; ++p) {
        for (int axis = 0; axis < 3; ++axis) {
            centers_[axis][placesOf_[p]] = box.center[axis];
            halves_[axis][placesOf_[p]] = box.halfExtents[axis];
        }
    }
}

void Octree::markVisible(const OctreeNode& leaf, const Planes& planes) const
{
    // The test of boxInFrustum, reduced to whether a box is outside: for each
    // plane the corner farthest along its normal, in the same arithmetic.
    constexpr std::uint32_t batch = 64;
    std::array<std::uint8_t, batch> outside;
    for (std::uint32_t start = leaf.first; start < leaf.first + leaf.count; start += batch) {
        const std::uint32_t n = std::min(batch, leaf.first + leaf.count - start);
        const float* cx = centers_[0].data() + start;
        const float* cy = centers_[1].data() + start;
        const float* cz = centers_[2].data() + start;
        const float* hx = halves_[0].data() + start;
        const float* hy = halves_[1].data() + start;
        const float* hz = halves_[2].data() + start;
        outside.fill(0);
        for (std::size_t k = 0; k < 6; ++k) {
            const glm::vec3 normal = planes.normals[k];
            const glm::vec3 side = planes.sides[k];
            const float d = planes.d[k];
            for (std::uint32_t i = 0; i < n; ++i) {
                const float px = cx[i] + side.x * hx[i];
                const float py = cy[i] + side.y * hy[i];
                const float pz = cz[i] + side.z * hz[i];
                const float distance = normal.x * px + normal.y * py + normal.z * pz + d;
                outside[i] |= std::uint8_t(!(distance >= 0.0f));
            }
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t object = filed_[start + i];
            if (!outside[i])
                inView_[object / 64] |= std::uint64_t(1) << (object % 64);
        }
    }
}

void Octree::markBelow(const OctreeNode& node, const Planes& planes) const
{
    if (node.isLeaf()) {
        markVisible(node, planes);
        return;
    }
    for (std::uint32_t child = node.firstChild; child < node.firstChild + 8; ++child)
        markBelow(nodes[child], planes);
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
    Planes planes;
    for (std::size_t k = 0; k < 6; ++k) {
        const glm::vec3& n = frustum[k].normal;
        planes.normals[k] = n;
        planes.sides[k] = {n.x >= 0.0f ? 1.0f : -1.0f, n.y >= 0.0f ? 1.0f : -1.0f, n.z >= 0.0f ? 1.0f : -1.0f};
        planes.d[k] = frustum[k].d;
    }
    std::vector<std::uint32_t>& pending = pending_;
    pending.assign(1, 0);
    while (!pending.empty()) {
        const OctreeNode& node = nodes[pending.back()];
        pending.pop_back();
        // Leaves are not box-tested: their objects are tested one by one.
        const FrustumTest test = node.isLeaf() ? FrustumTest::Inside : boxInFrustum(node.box, frustum);
        if (test == FrustumTest::Inside) {
            markBelow(node, planes);
        } else if (test == FrustumTest::Intersecting) {
            for (std::uint32_t child = node.firstChild; child < node.firstChild + 8; ++child)
                pending.push_back(child);
        }
    }
    // The marks, read out in ascending number and cleared for the next query.
    for (std::size_t w = 0; w < inView_.size(); ++w) {
        for (std::uint64_t word = inView_[w]; word != 0; word &= word - 1)
            found.push_back(std::uint32_t(w * 64 + std::size_t(std::countr_zero(word))));
        inView_[w] = 0;
    }
}

}  // namespace qm
