#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "CostOrder.h"
#include "MeshData.h"
#include "WorkingMesh.h"

namespace qm {

// Edge-collapse simplification of one mesh, cheapest collapse first. The
// vertices stay where they are; each reduction continues from the last.
class MeshSimplifier {
public:
    // The input holds whole triangles whose indices lie within the vertices.
    MeshSimplifier(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices);

    // Reduces to `ratio` of the remaining vertices and writes them out,
    // cheapest first; nothing once the work budget is spent.
    std::optional<MeshData> simplify(float ratio);
    void reduce(float ratio);
    // Collapses u onto v (or drops it, for `WorkingMesh::none`) and files its
    // former neighbours under their new costs.
    void collapse(std::uint32_t u, std::uint32_t v);

    // The remaining vertices, cheapest first.
    std::vector<std::uint32_t> ordered() const { return order_.sorted(); }
    const WorkingMesh& mesh() const { return mesh_; }
    std::uint32_t collapsedCount() const { return collapsedCount_; }
    bool gaveUp() const { return mesh_.gaveUp(); }

private:
    WorkingMesh mesh_;
    CostOrder order_;
    std::uint32_t collapsedCount_ = 0;
};

}  // namespace qm
