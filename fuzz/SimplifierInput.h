#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Vertex.h"

// The simplifier fuzz target's input layout, shared with the tests that
// replay its findings: [vertex count, 2 bytes][positions, 3 floats a vertex]
// [triangles, 3 indices of 2 bytes each, taken modulo the vertex count].
// Positions are any finite floats (the import leaves out meshes with others),
// so duplicates, degenerate and non-manifold triangles all occur. False when
// the bytes hold no vertex.
inline bool decodeFuzzMesh(const std::uint8_t* data, std::size_t size, std::vector<qm::Vertex>& vertices,
                           std::vector<std::uint32_t>& indices)
{
    if (size < 2)
        return false;
    const std::size_t count = std::size_t(data[0]) | std::size_t(data[1]) << 8;
    if (count == 0 || size < 2 + count * 12)
        return false;
    vertices.assign(count, {});
    const std::uint8_t* at = data + 2;
    for (qm::Vertex& v : vertices) {
        std::memcpy(&v.position, at, 12);
        at += 12;
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(v.position[k]))
                v.position[k] = 0.0f;
        }
        v.normal = {0.0f, 1.0f, 0.0f};
    }
    indices.clear();
    for (; at + 6 <= data + size; at += 6) {
        for (int k = 0; k < 3; ++k)
            indices.push_back(std::uint32_t((at[2 * k] | at[2 * k + 1] << 8) % count));
    }
    return true;
}
