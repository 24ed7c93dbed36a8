#include "MeshSimplifier.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iostream>
#include <limits>
#include <tuple>

namespace qm {

namespace {

// Normalised, or zero for a zero vector: no division by zero, no NaN.
glm::vec3 normalisedOrZero(const glm::vec3& v)
{
    const float length = std::sqrt(glm::dot(v, v));
    return length > 0.0f ? v / length : glm::vec3(0.0f);
}

}  // namespace

void MVertex::addNeighbour(MVertex* n)
{
    if (n == this || std::find(neighbours.begin(), neighbours.end(), n) != neighbours.end())
        return;
    neighbours.push_back(n);
}

void MVertex::removeNeighbour(const MVertex* n)
{
    if (std::erase(neighbours, n) == 0)
        std::cout << "Uh oh..." << std::endl;
}

void MVertex::removeIfNonNeighbour(const MVertex* n)
{
    if (std::find(neighbours.begin(), neighbours.end(), n) == neighbours.end())
        return;
    for (const MTriangle* face : faces) {
        if (face->hasCorner(n))
            return;
    }
    removeNeighbour(n);
}

void MVertex::removeFace(const MTriangle* face)
{
    std::erase(faces, face);
}

void MVertex::detachFromNeighbours()
{
    while (!neighbours.empty()) {
        MVertex* n = neighbours.front();
        if (std::erase(n->neighbours, this) == 0)
            std::cout << "Uh oh..." << std::endl;
        removeNeighbour(n);
    }
}

glm::vec3 MVertex::computeNormal() const
{
    glm::vec3 sum(0.0f);
    for (const MTriangle* face : faces)
        sum += face->normal;
    return normalisedOrZero(sum);
}

namespace {

// Room on the stack for the faces around a vertex; a vertex with more (rare)
// spills to the heap.
template <typename T, std::size_t inlineSize>
class LocalBuffer {
public:
    explicit LocalBuffer(std::size_t size) : size_(size)
    {
        if (size > inlineSize)
            heap_.resize(size);
    }
    T* data() { return size_ > inlineSize ? heap_.data() : inline_.data(); }

private:
    std::size_t size_;
    std::array<T, inlineSize> inline_;
    std::vector<T> heap_;
};

// The faces around one vertex as the edge costs read them: the corners and
// the normal of each, copied out once per vertex so that the cost of every
// edge around it reads one compact list instead of chasing pointers to the
// triangles again and again.
class FaceTable {
public:
    explicit FaceTable(const std::vector<MTriangle*>& faces)
        : count_(faces.size()), faces_(count_), sides_(count_)
    {
        for (std::size_t i = 0; i < count_; ++i)
            faces_.data()[i] = {faces[i]->corners, faces[i]->normal};
    }

    // The cost of collapsing the vertex at `from` onto v: edge length times
    // how much the surface bends there. Each face is held against the side (a
    // face on the edge, usually one of two) it bends least from, and the bend
    // is the worst of those.
    float edgeCost(const glm::vec3& from, const MVertex& v)
    {
        const float length = glm::distance(from, v.position);
        const Face* faces = faces_.data();
        std::uint32_t* sides = sides_.data();
        std::size_t sideCount = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const auto& c = faces[i].corners;
            if (c[0] == &v || c[1] == &v || c[2] == &v)
                sides[sideCount++] = std::uint32_t(i);
        }
        if (sideCount == 0)
            return 0.0f;
        float curvature = 0.0f;
        for (std::size_t i = 0; i < count_; ++i) {
            float m = 1.0f;
            for (std::size_t k = 0; k < sideCount; ++k)
                m = std::min(m, (1.0f - glm::dot(faces[i].normal, faces[sides[k]].normal)) * 0.5f);
            curvature = std::max(curvature, m);
        }
        return curvature * length;
    }

private:
    struct Face {
        std::array<MVertex*, 3> corners;
        glm::vec3 normal;
    };
    std::size_t count_;
    LocalBuffer<Face, 24> faces_;
    LocalBuffer<std::uint32_t, 24> sides_;
};

}  // namespace

float MVertex::edgeCost(const MVertex& v) const
{
    return FaceTable(faces).edgeCost(position, v);
}

void MVertex::computeCost()
{
    collapseTarget = nullptr;
    if (neighbours.empty()) {
        cost = isolatedVertexCost;
        return;
    }
    // The neighbours lie scattered in memory: ask for all of them at once
    // rather than waiting on each in turn.
    for (const MVertex* n : neighbours)
        __builtin_prefetch(&n->position);
    FaceTable table(faces);
    cost = noCollapseCost;
    for (MVertex* n : neighbours) {
        const float c = table.edgeCost(position, *n);
        if (c < cost) {
            cost = c;
            collapseTarget = n;
        }
    }
}

void MTriangle::computeNormal()
{
    const glm::vec3& p0 = corners[0]->position;
    normal = normalisedOrZero(glm::cross(corners[1]->position - p0, corners[2]->position - p0));
}

void MTriangle::replaceVertex(MVertex* u, MVertex* v)
{
    for (MVertex*& corner : corners) {
        if (corner == u) {
            corner = v;
            break;
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            if (i != j)
                corners[i]->addNeighbour(corners[j]);
        }
    }
    computeNormal();
}

void MTriangle::detach()
{
    for (MVertex* corner : corners)
        corner->removeFace(this);
    for (int k = 0; k < 3; ++k) {
        MVertex* a = corners[std::size_t(k)];
        MVertex* b = corners[std::size_t((k + 1) % 3)];
        a->removeIfNonNeighbour(b);
        b->removeIfNonNeighbour(a);
    }
}

MeshSimplifier::MeshSimplifier(const std::vector<Vertex>& input, const std::vector<std::uint32_t>& indices,
                               std::shared_ptr<Material> material)
    : material(std::move(material))
{
    assert(indices.size() % 3 == 0 && "whole triangles only");
    assert(std::all_of(indices.begin(), indices.end(), [&](std::uint32_t i) { return i < input.size(); }) &&
           "indices within the vertex list");
    const std::size_t n = input.size();
    // Reserved once: the stores never reallocate, so the pointers into them hold.
    vertexStore.reserve(n);
    std::vector<MVertex*> slots(n);
    std::vector<int> weldOrder(n);
    for (std::size_t k = 0; k < n; ++k) {
        slots[k] = &vertexStore.emplace_back(input[k], int(k));
        weldOrder[k] = int(k);
    }

    // Welding: runs of positions within 0.0001 of their first vertex in
    // position order. Ordered by x alone, coincident vertices would be kept
    // apart by others of the same x (every vertex of a face at x = 1, say),
    // and the simplifier would then tear the mesh open along such seams.
    std::vector<int> mergedIndices;
    if (n > 1) {
        const auto byPosition = [&](int a, int b) {
            const glm::vec3& p = slots[std::size_t(a)]->position;
            const glm::vec3& q = slots[std::size_t(b)]->position;
            return std::tie(p.x, p.y, p.z) < std::tie(q.x, q.y, q.z);
        };
        std::sort(weldOrder.begin(), weldOrder.end(), byPosition);
        std::size_t i = 0;
        while (i < n - 1) {
            MVertex* base = slots[std::size_t(weldOrder[i])];
            std::size_t j = i + 1;
            while (j < n && glm::distance(base->position, slots[std::size_t(weldOrder[j])]->position) < 0.0001f) {
                slots[std::size_t(weldOrder[j])] = base;
                mergedIndices.push_back(weldOrder[j]);
                ++j;
            }
            i = j;
        }
    }

    workBudget = workAllowance + workPerTriangle * (indices.size() / 3);
    triangleStore.reserve(indices.size() / 3);
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        MVertex* a = slots[indices[t]];
        MVertex* b = slots[indices[t + 1]];
        MVertex* c = slots[indices[t + 2]];
        // Each new neighbour is checked against the list it joins.
        work += a->neighbours.size() + b->neighbours.size() + c->neighbours.size();
        if (work > workBudget) {
            gaveUp = true;
            return;
        }
        MTriangle* triangle = &triangleStore.emplace_back(int(triangles.size()), a, b, c);
        triangles.push_back(triangle);
        a->addNeighbour(b);
        a->addNeighbour(c);
        a->faces.push_back(triangle);
        b->addNeighbour(a);
        b->addNeighbour(c);
        b->faces.push_back(triangle);
        c->addNeighbour(a);
        c->addNeighbour(b);
        c->faces.push_back(triangle);
    }

    for (int merged : mergedIndices)
        slots[std::size_t(merged)] = nullptr;
    for (MVertex* vertex : slots) {
        if (vertex) {
            vertex->id = int(vertices.size());
            vertices.push_back(vertex);
        }
    }
    computeAllCosts();
}

bool MeshSimplifier::afford(const MVertex& v)
{
    // Each neighbour's faces are sought among all faces, and each face is
    // held against every side: at most two sides a face over all neighbours.
    const std::uint64_t faces = v.faces.size();
    work += faces * (v.neighbours.size() + 2 * faces) + 1;
    gaveUp = gaveUp || work > workBudget;
    return !gaveUp;
}

void MeshSimplifier::computeAllCosts()
{
    for (MVertex* vertex : vertices) {
        if (!afford(*vertex))
            return;
        vertex->computeCost();
    }
    std::sort(vertices.begin(), vertices.end(), [](const MVertex* a, const MVertex* b) { return a->cost < b->cost; });
    order.clear();
    places.assign(vertices.size(), order.end());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        MVertex* vertex = vertices[i];
        vertex->id = int(i);
        vertex->orderCost = vertex->cost;
        vertex->orderLabel = double(i);
        places[i] = order.insert(order.end(), keyOf(vertex));
    }
}

std::vector<MVertex*> MeshSimplifier::ordered() const
{
    std::vector<MVertex*> result;
    result.reserve(order.size());
    for (const OrderKey& key : order)
        result.push_back(key.vertex);
    return result;
}

void MeshSimplifier::relabel()
{
    std::set<OrderKey> renumbered;
    double label = 0.0;
    for (const OrderKey& key : order) {
        key.vertex->orderLabel = label;
        label += 1.0;
        places[std::size_t(key.vertex->id)] = renumbered.insert(renumbered.end(), keyOf(key.vertex));
    }
    order.swap(renumbered);  // swapping keeps the stored places valid
}

void MeshSimplifier::fileBefore(Order::node_type node, Order::iterator next)
{
    const bool first = next == order.begin();
    const bool last = next == order.end();
    double label = 0.0;
    if (first && last)
        label = 0.0;
    else if (last)
        label = std::prev(next)->label + 1.0;
    else if (first)
        label = next->label - 1.0;
    else
        label = (std::prev(next)->label + next->label) * 0.5;
    // A gap halved too often has no room left: number the order afresh.
    if (!first && !last && (label <= std::prev(next)->label || label >= next->label)) {
        MVertex* anchor = next->vertex;
        relabel();
        fileBefore(std::move(node), places[std::size_t(anchor->id)]);
        return;
    }
    MVertex* v = node.value().vertex;
    v->orderCost = v->cost;
    v->orderLabel = label;
    node.value() = keyOf(v);
    places[std::size_t(v->id)] = order.insert(next, std::move(node));
}

void MeshSimplifier::reposition(MVertex* n)
{
    // Every vertex but n is filed under its current cost.
    const auto at = places[std::size_t(n->id)];
    const auto next = std::next(at);
    const bool forward = next != order.end() && n->cost > next->cost;
    const bool backward = !forward && at != order.begin() && std::prev(at)->cost > n->cost;
    if (!forward && !backward) {  // between its neighbours still: its place is unchanged
        n->orderCost = n->cost;
        at->cost = n->cost;
        return;
    }
    Order::node_type node = order.extract(at);
    constexpr double lowest = -std::numeric_limits<double>::infinity();
    constexpr double highest = std::numeric_limits<double>::infinity();
    if (forward)  // in front of the first vertex whose cost is not below its own
        fileBefore(std::move(node), order.lower_bound({n->cost, lowest, nullptr}));
    else  // behind the last vertex whose cost is not above its own
        fileBefore(std::move(node), order.lower_bound({n->cost, highest, nullptr}));
}

void MeshSimplifier::collapse(MVertex* u, MVertex* v)
{
    order.erase(places[std::size_t(u->id)]);
    if (!v) {
        u->detachFromNeighbours();
        vertices[std::size_t(u->id)] = nullptr;
        return;
    }
    scratchNeighbours.assign(u->neighbours.begin(), u->neighbours.end());
    scratchFaces.assign(u->faces.begin(), u->faces.end());
    for (auto it = scratchFaces.rbegin(); it != scratchFaces.rend(); ++it) {
        MTriangle* face = *it;
        if (face->hasCorner(v)) {
            face->detach();
            triangles[std::size_t(face->id)] = nullptr;
        }
    }
    // Taking u out of each face and neighbour list one by one would leave
    // the others in the same order as dropping it from all of them at the end.
    for (auto it = u->faces.rbegin(); it != u->faces.rend(); ++it) {
        v->faces.push_back(*it);
        (*it)->replaceVertex(u, v);
    }
    u->faces.clear();
    u->detachFromNeighbours();
    vertices[std::size_t(u->id)] = nullptr;
    for (MVertex* n : scratchNeighbours) {
        if (!afford(*n))
            return;
        n->computeCost();
        reposition(n);
    }
}

void MeshSimplifier::reduce(float ratio)
{
    std::size_t remaining = order.size();
    const auto target = static_cast<std::size_t>(static_cast<float>(remaining) * ratio);
    if (remaining <= target)
        return;
    while (!gaveUp) {
        MVertex* u = order.begin()->vertex;
        if (u->cost == noCollapseCost)
            return;
        ++collapsedCount;
        collapse(u, u->collapseTarget);
        if (--remaining <= target)
            return;
    }
}

std::shared_ptr<Mesh> MeshSimplifier::simplify(float ratio)
{
    reduce(ratio);
    if (gaveUp)
        return nullptr;
    std::vector<Vertex> out;
    for (const OrderKey& key : order) {
        MVertex* vertex = key.vertex;
        vertex->outputIndex = int(out.size());
        Vertex written = vertex->vertex;
        // A vertex whose face normals cancel out keeps the normal it came with.
        const glm::vec3 normal = vertex->computeNormal();
        if (normal != glm::vec3(0.0f))
            written.normal = normal;
        out.push_back(written);
    }
    std::vector<std::uint32_t> indices;
    for (const MTriangle* triangle : triangles) {
        if (!triangle)
            continue;
        // A triangle welded into a single point has nothing to draw.
        if (triangle->corners[0] == triangle->corners[1] && triangle->corners[1] == triangle->corners[2])
            continue;
        for (const MVertex* corner : triangle->corners)
            indices.push_back(std::uint32_t(corner->outputIndex));
    }
    return std::make_shared<Mesh>(std::move(out), std::move(indices), material);
}

}  // namespace qm
