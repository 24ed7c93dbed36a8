#pragma once

#include <cstdint>
#include <vector>

#include "Vertex.h"

namespace qm {

// What a mesh's index list holds: 3, 2 or 1 vertex per primitive.
enum class Primitive { Triangles, Lines, Points };

// A mesh on the CPU side: vertex records and the primitives' corner
// indices, three to a triangle unless it says otherwise.
struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    Primitive primitive = Primitive::Triangles;
};

}  // namespace qm
