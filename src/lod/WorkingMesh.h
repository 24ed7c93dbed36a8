#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "MeshData.h"
#include "SmallLists.h"

namespace qm {

// The mesh an edge-collapse simplifier works on, in flat arrays: welded
// vertices and triangles by number, each vertex with its neighbours and its
// faces in insertion order (the order decides between equal costs), and
// each vertex's cheapest collapse onto a neighbour. Which vertex collapses
// next is the caller's choice.
class WorkingMesh {
public:
    static constexpr std::uint32_t none = 0xffffffffu;

    // Corners and the unit normal of their winding (zero without area), side
    // by side: the costs read both.
    struct Triangle {
        std::array<std::uint32_t, 3> corners;
        glm::vec3 normal;
    };

    // The input holds whole triangles whose indices lie within the vertices
    // (the import guarantees both). Positions closer than 0.0001 are welded;
    // the welded vertices are numbered in the order of their first input
    // vertex. Gives up when the adjacency alone is over the work budget.
    WorkingMesh(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices);

    std::uint32_t vertexCount() const { return std::uint32_t(points_.size()); }

    const glm::vec3& position(std::uint32_t v) const { return points_[v].position; }
    std::span<const std::uint32_t> neighbours(std::uint32_t v) const { return lists_.list(neighbourList(v)); }
    std::span<const std::uint32_t> faces(std::uint32_t v) const { return lists_.list(faceList(v)); }
    const std::array<std::uint32_t, 3>& corners(std::uint32_t t) const { return triangles_[t].corners; }
    // A removed triangle keeps its last corners.
    bool removed(std::uint32_t t) const { return !alive_[t]; }
    float cost(std::uint32_t v) const { return points_[v].cost; }
    // The neighbour the cost is for; `none` without one.
    std::uint32_t collapseTarget(std::uint32_t v) const { return targets_[v]; }

    // The cost of collapsing u onto its neighbour v: edge length times how
    // much the surface bends at u. It works in the mesh's scratch room, so
    // one call at a time, like every other use of a mesh.
    float edgeCost(std::uint32_t u, std::uint32_t v) const;
    // The cheapest neighbour to collapse onto and its cost; an isolated
    // vertex costs `isolatedVertexCost`, one without a finite collapse
    // `noCollapseCost`.
    void computeCost(std::uint32_t v);

    // Moves u onto v, removing the triangles on their edge, or drops u alone
    // when v is `none`. Answers u's former neighbours, whose costs the caller
    // works out again (valid until the next collapse).
    std::span<const std::uint32_t> collapse(std::uint32_t u, std::uint32_t v);

    // The remaining vertices in the given order, each with the normalised sum
    // of its face normals (the one it came with where they cancel out), and
    // the remaining triangles in input order, points left out.
    MeshData write(std::span<const std::uint32_t> order);

    // A vertex's cost takes work of its face count times its neighbour and
    // face counts, and it is worked out again each time a neighbour
    // collapses: a vertex or an edge shared by thousands of triangles makes
    // that cubic. Real meshes take a few hundred units a triangle (a second
    // of work is some hundred million units); past the budget the
    // simplifier gives up.
    static constexpr std::uint64_t workPerTriangle = 4096;
    static constexpr std::uint64_t workAllowance = std::uint64_t(1) << 25;
    // Counts the work of v's cost; false (and giving up) when it is over budget.
    bool afford(std::uint32_t v);
    bool gaveUp() const { return gaveUp_; }

private:
    void addNeighbour(std::uint32_t v, std::uint32_t n);
    // Takes a and b out of each other's neighbour lists when no face holds both.
    void unlinkIfApart(std::uint32_t a, std::uint32_t b);
    void detachFromNeighbours(std::uint32_t v);
    bool hasCorner(std::uint32_t t, std::uint32_t v) const;
    void computeNormal(std::uint32_t t);
    // Takes the triangle out of its corners' face and neighbour lists.
    void detach(std::uint32_t t);
    // Puts v where u was and makes the corners neighbours of each other. u's
    // own lists are left alone: the collapse that removes u drops them whole.
    void replaceVertex(std::uint32_t t, std::uint32_t u, std::uint32_t v);

    // A vertex's position and cost in 16 bytes: the costs of its neighbours read both.
    struct Point {
        glm::vec3 position;
        float cost;
    };
    std::vector<Point> points_;
    std::vector<Vertex> records_;
    std::vector<std::uint32_t> targets_;
    // Each vertex's neighbours and faces, next to each other in memory: a
    // collapse reads both of every vertex it touches.
    static std::uint32_t neighbourList(std::uint32_t v) { return 2 * v; }
    static std::uint32_t faceList(std::uint32_t v) { return 2 * v + 1; }
    SmallLists lists_;
    std::vector<Triangle> triangles_;
    std::vector<std::uint8_t> alive_;
    // Where the last write put each vertex.
    std::vector<std::uint32_t> outputIndex_;
    // u's former neighbours, answered by collapse.
    std::vector<std::uint32_t> formerNeighbours_;
    std::vector<std::uint32_t> scratchFaces_;

    // Room the costs work in, kept from one vertex to the next, so that
    // large fans do not allocate and clear memory for every cost.
    struct CostRoom {
        std::vector<std::array<std::uint32_t, 3>> corners;
        std::vector<float> normals;
        std::vector<float> dots;
        std::vector<std::uint32_t> sides;
        // A neighbour's slot by vertex number while a large fan files its
        // sides, `none` otherwise.
        std::vector<std::uint32_t> slotOf;
        std::vector<std::array<std::uint32_t, 3>> faceSlots;
        std::vector<std::uint32_t> firstSide;
        std::vector<std::uint32_t> filed;
        std::vector<std::uint32_t> next;
    };
    // The faces around one vertex as its costs read them: any number in the
    // scratch room, or up to eight in vector registers.
    class FaceTable;
    class EightFaces;
    // Hands `work` the table of v's faces that suits their number.
    template <typename Work>
    auto withFaces(std::uint32_t v, Work work) const;
    mutable CostRoom room_;

    std::uint64_t workBudget_ = 0;
    std::uint64_t work_ = 0;
    bool gaveUp_ = false;
};

// The cost of a vertex with nothing to collapse onto: it goes first.
inline constexpr float isolatedVertexCost = -0.1f;
// The cost of a vertex that cannot collapse: it ends a reduction.
inline constexpr float noCollapseCost = 3.40282347e38f;

}  // namespace qm
