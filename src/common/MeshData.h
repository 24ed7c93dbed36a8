#pragma once

#include <cstdint>
#include <vector>

#include "Vertex.h"

namespace qm {

// A mesh on the CPU side: vertex records and the triangles' corner indices,
// three to a triangle.
struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
};

}  // namespace qm
