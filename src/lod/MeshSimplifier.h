#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "Material.h"
#include "Mesh.h"
#include "Vertex.h"

namespace qm {

struct MTriangle;

// A distinct vertex position of the working mesh with its neighbours, its
// faces and the cheapest collapse onto a neighbour.
struct MVertex {
    MVertex(const Vertex& vertex, int id) : position(vertex.position), id(id), vertex(vertex)
    {
        // Most vertices of a mesh have about six of each: one allocation instead of four.
        neighbours.reserve(8);
        faces.reserve(8);
    }

    // Adjacency, kept symmetric by the callers. Vertices and triangles are
    // told apart by address: each lives at one place for the simplifier's life.
    void addNeighbour(MVertex* n);
    void removeNeighbour(const MVertex* n);
    void removeIfNonNeighbour(const MVertex* n);
    void removeFace(const MTriangle* face);
    void detachFromNeighbours();
    // The normalised sum of the face normals; zero when they cancel out.
    glm::vec3 computeNormal() const;

    // The cost of collapsing onto v: edge length times how much the surface bends here.
    float edgeCost(const MVertex& v) const;
    // The cheapest neighbour to collapse onto, and its cost.
    void computeCost();

    glm::vec3 position;
    int id;
    int outputIndex = 0;
    std::vector<MVertex*> neighbours;
    std::vector<MTriangle*> faces;
    float cost = 0.0f;
    MVertex* collapseTarget = nullptr;
    Vertex vertex;
    // Where the simplifier's cost order keeps this vertex: the cost it was
    // filed under and its place among equal costs.
    float orderCost = 0.0f;
    double orderLabel = 0.0;
};

struct MTriangle {
    MTriangle(int id, MVertex* a, MVertex* b, MVertex* c) : corners{a, b, c}, id(id) { computeNormal(); }

    MVertex* getCorner(int k) const { return corners[std::size_t(k)]; }
    bool hasCorner(const MVertex* v) const
    {
        return corners[0] == v || corners[1] == v || corners[2] == v;
    }
    // The unit normal of the corners' winding; zero for a triangle without area.
    void computeNormal();
    // Puts v where u was and makes the corners neighbours of each other. u's
    // own face and neighbour lists are left alone: the collapse that removes u
    // drops them as a whole.
    void replaceVertex(MVertex* u, MVertex* v);
    // Takes the triangle out of its corners' face and neighbour lists.
    void detach();

    std::array<MVertex*, 3> corners;
    glm::vec3 normal{0.0f};
    int id;
};

// Edge-collapse simplification of one mesh, cheapest collapse first. The
// vertices stay where they are; each reduction continues from the last.
//
// The remaining vertices are kept in cost order. After a collapse a vertex
// whose cost rose goes in front of the vertices of its new cost, one whose
// cost fell goes behind them, and one still between its neighbours in the
// order stays: exactly where moving it by adjacent swaps would put it, found
// in logarithmic time instead. Vertex ids are stable identities.
class MeshSimplifier {
public:
    // The input holds whole triangles whose indices lie within the vertices
    // (the import guarantees both). Coincident positions are welded.
    MeshSimplifier(const std::vector<Vertex>& vertices, const std::vector<std::uint32_t>& indices,
                   std::shared_ptr<Material> material);

    // Reduces to `ratio` of the remaining vertices and writes the result out;
    // empty once the work budget is spent.
    std::shared_ptr<Mesh> simplify(float ratio);
    void reduce(float ratio);
    void collapse(MVertex* u, MVertex* v);
    void computeAllCosts();
    void reposition(MVertex* n);

    // The remaining vertices, cheapest first.
    std::vector<MVertex*> ordered() const;

    // The vertices and the triangles by id; removed ones are null.
    std::vector<MVertex*> vertices;
    std::vector<MTriangle*> triangles;
    std::shared_ptr<Material> material;
    std::uint32_t collapsedCount = 0;

    // A vertex's cost takes work of its face count times its neighbour and
    // face counts, and it is worked out again each time a neighbour
    // collapses: a vertex or an edge shared by thousands of triangles makes
    // that cubic. Real meshes take a few hundred units a triangle (a second
    // of work is some hundred million units); past the budget the simplifier
    // gives up.
    static constexpr std::uint64_t workPerTriangle = 4096;
    static constexpr std::uint64_t workAllowance = std::uint64_t(1) << 25;
    std::uint64_t workBudget = 0;
    std::uint64_t work = 0;
    bool gaveUp = false;

private:
    // Counts the work of the vertex's cost; false (and giving up) when it is over budget.
    bool afford(const MVertex& v);

    struct OrderKey {
        // Changed in place only where the order stays as it is.
        mutable float cost;
        double label;
        MVertex* vertex;
        bool operator<(const OrderKey& other) const
        {
            return cost < other.cost || (cost == other.cost && label < other.label);
        }
    };
    static OrderKey keyOf(MVertex* v) { return {v->orderCost, v->orderLabel, v}; }
    using Order = std::set<OrderKey>;
    // Files the vertex (its node, reused) just before `next`, with a label between its neighbours'.
    void fileBefore(Order::node_type node, Order::iterator next);
    void relabel();

    Order order;

    // Owners of everything the working mesh refers to, released with the simplifier.
    std::vector<MVertex> vertexStore;
    std::vector<MTriangle> triangleStore;
    // Each vertex's place in the order, by id, so that it is never searched for.
    std::vector<Order::iterator> places;
    // Reused by every collapse for its copies of the neighbour and face lists.
    std::vector<MVertex*> scratchNeighbours;
    std::vector<MTriangle*> scratchFaces;
};

// The cost of a vertex with nothing to collapse onto: it goes first.
inline constexpr float isolatedVertexCost = -0.1f;
// The cost of a vertex that cannot collapse: it ends a reduction.
inline constexpr float noCollapseCost = 3.40282347e38f;

}  // namespace qm
