#pragma once

// The simplifier's reduction as first written, moving a vertex to its place
// in the cost order by adjacent swaps over an array whose positions are the
// vertex ids: slow, and plainly faithful. It works on the same working-mesh
// vertices and triangles as the real one; the tests hold the real one's
// ordering to exactly its collapses and outputs.

#include <cstdint>
#include <memory>
#include <vector>

#include "MeshSimplifier.h"

namespace qm::reference {

class PlainSimplifier {
public:
    PlainSimplifier(const std::vector<Vertex>& vertices, const std::vector<std::uint32_t>& indices,
                    std::shared_ptr<Material> material);

    std::shared_ptr<Mesh> simplify(float ratio);

private:
    void reduce(float ratio);
    void collapse(MVertex* u, MVertex* v);
    void computeAllCosts();
    void reposition(MVertex* n);
    void swapSlots(std::size_t a, std::size_t b);

    std::vector<MVertex*> vertices;
    std::vector<MTriangle*> triangles;
    std::shared_ptr<Material> material;
    std::uint32_t collapsedCount = 0;
    std::vector<std::unique_ptr<MVertex>> vertexStore;
    std::vector<std::unique_ptr<MTriangle>> triangleStore;
};

}  // namespace qm::reference
