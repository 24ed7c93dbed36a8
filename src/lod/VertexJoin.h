#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Vertex.h"

namespace qm {

// Joins the vertices whose records are equal byte for byte and drops those
// no triangle uses: returns each vertex kept once, in the order of its first
// use, and renumbers the indices to match. Files that give every face corner a
// vertex of its own (FBX, OBJ, STL, Collada) then share vertices between
// triangles, as the simplifiers and the GPU want. Joining only the records
// the viewer keeps is exact and cheap; the model reader's own joining step
// compares every attribute a file may carry (a 2-million-triangle STL file:
// 19 s and 3.7 GB). Every index must name one of the mesh's vertices.
std::vector<Vertex> joinIdenticalVertices(std::span<const Vertex> vertices, std::span<std::uint32_t> indices);

}  // namespace qm
