#pragma once

// The simplifier's reduction as first written, moving a vertex to its place
// in the cost order by adjacent swaps over an array: slow, and plainly
// faithful. It works on the same working mesh as the real one; the tests
// hold the real one's cost order to exactly its collapses and outputs.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "WorkingMesh.h"

namespace qm::reference {

class PlainSimplifier {
public:
    PlainSimplifier(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices);

    std::optional<MeshData> simplify(float ratio);

private:
    void reduce(float ratio);
    void reposition(std::uint32_t n);
    void swapSlots(std::size_t a, std::size_t b);

    WorkingMesh mesh;
    // The vertices in cost order, `WorkingMesh::none` for the collapsed ones
    // at the front; and each vertex's slot.
    std::vector<std::uint32_t> slots;
    std::vector<std::size_t> slotOf;
    std::uint32_t collapsedCount = 0;
};

}  // namespace qm::reference
