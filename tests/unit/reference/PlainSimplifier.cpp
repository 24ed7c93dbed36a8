#include "PlainSimplifier.h"

#include <algorithm>
#include <tuple>

namespace qm::reference {

namespace {

// Puts v where u was, taking u out of the face and out of every neighbour
// list that no longer needs it, one triangle at a time.
void replaceVertex(MTriangle& face, MVertex* u, MVertex* v)
{
    for (MVertex*& corner : face.corners) {
        if (corner == u) {
            corner = v;
            break;
        }
    }
    u->removeFace(&face);
    for (MVertex* corner : face.corners) {
        u->removeIfNonNeighbour(corner);
        corner->removeIfNonNeighbour(u);
    }
    for (MVertex* a : face.corners) {
        for (MVertex* b : face.corners) {
            if (a != b)
                a->addNeighbour(b);
        }
    }
    face.computeNormal();
}

}  // namespace

PlainSimplifier::PlainSimplifier(const std::vector<Vertex>& input, const std::vector<std::uint32_t>& indices,
                               std::shared_ptr<Material> material)
    : material(std::move(material))
{
    assert(indices.size() % 3 == 0 && "whole triangles only");
    assert(std::all_of(indices.begin(), indices.end(), [&](std::uint32_t i) { return i < input.size(); }) &&
           "indices within the vertex list");
    const std::size_t n = input.size();
    vertexStore.reserve(n);
    std::vector<MVertex*> slots(n);
    std::vector<int> weldOrder(n);
    for (std::size_t k = 0; k < n; ++k) {
        vertexStore.push_back(std::make_unique<MVertex>(input[k], int(k)));
        slots[k] = vertexStore.back().get();
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

    triangleStore.reserve(indices.size() / 3);
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        MVertex* a = slots[indices[t]];
        MVertex* b = slots[indices[t + 1]];
        MVertex* c = slots[indices[t + 2]];
        triangleStore.push_back(std::make_unique<MTriangle>(int(triangles.size()), a, b, c));
        MTriangle* triangle = triangleStore.back().get();
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

void PlainSimplifier::computeAllCosts()
{
    for (MVertex* vertex : vertices)
        vertex->computeCost();
    std::sort(vertices.begin(), vertices.end(), [](const MVertex* a, const MVertex* b) { return a->cost < b->cost; });
    for (std::size_t i = 0; i < vertices.size(); ++i)
        vertices[i]->id = int(i);
}

void PlainSimplifier::swapSlots(std::size_t a, std::size_t b)
{
    std::swap(vertices[a], vertices[b]);
    vertices[a]->id = int(a);
    vertices[b]->id = int(b);
}

void PlainSimplifier::reposition(MVertex* n)
{
    auto at = std::size_t(n->id);
    while (at + 1 < vertices.size() && n->cost > vertices[at + 1]->cost) {
        swapSlots(at, at + 1);
        ++at;
    }
    while (at > collapsedCount && vertices[at - 1]->cost > n->cost) {
        swapSlots(at, at - 1);
        --at;
    }
}

void PlainSimplifier::collapse(MVertex* u, MVertex* v)
{
    if (!v) {
        u->detachFromNeighbours();
        vertices[std::size_t(u->id)] = nullptr;
        return;
    }
    const std::vector<MVertex*> formerNeighbours = u->neighbours;
    const std::vector<MTriangle*> facesBefore = u->faces;
    for (auto it = facesBefore.rbegin(); it != facesBefore.rend(); ++it) {
        MTriangle* face = *it;
        if (face->hasCorner(v)) {
            face->detach();
            triangles[std::size_t(face->id)] = nullptr;
        }
    }
    const std::vector<MTriangle*> remaining = u->faces;
    for (auto it = remaining.rbegin(); it != remaining.rend(); ++it) {
        v->faces.push_back(*it);
        replaceVertex(**it, u, v);
    }
    u->detachFromNeighbours();
    vertices[std::size_t(u->id)] = nullptr;
    for (MVertex* n : formerNeighbours) {
        n->computeCost();
        reposition(n);
    }
}

void PlainSimplifier::reduce(float ratio)
{
    std::size_t remaining = vertices.size() - collapsedCount;
    const auto target = static_cast<std::size_t>(static_cast<float>(remaining) * ratio);
    if (remaining <= target)
        return;
    while (true) {
        MVertex* u = vertices[collapsedCount];
        if (u->cost == noCollapseCost)
            return;
        ++collapsedCount;
        collapse(u, u->collapseTarget);
        if (--remaining <= target)
            return;
    }
}

std::shared_ptr<Mesh> PlainSimplifier::simplify(float ratio)
{
    reduce(ratio);
    std::vector<Vertex> out;
    for (MVertex* vertex : vertices) {
        if (!vertex)
            continue;
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

}  // namespace qm::reference
