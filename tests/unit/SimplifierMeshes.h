#pragma once

// Small meshes the simplifier tests build on.
#include <cmath>
#include <cstdint>
#include <vector>

#include "MeshData.h"

namespace qm::testmeshes {

// Each position with a +z normal and its number as texture coordinate.
inline std::vector<Vertex> verticesAt(const std::vector<glm::vec3>& positions)
{
    std::vector<Vertex> vertices;
    for (std::size_t i = 0; i < positions.size(); ++i)
        vertices.push_back({positions[i], {0, 0, 1}, {float(i), 0}});
    return vertices;
}

// A flat grid of columns x rows vertices in the xy plane.
inline MeshData flatGrid(int columns, int rows)
{
    std::vector<glm::vec3> positions;
    std::vector<std::uint32_t> indices;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            positions.push_back({float(x) + 0.01f * float(y), float(y), 0});
    for (int y = 0; y + 1 < rows; ++y) {
        for (int x = 0; x + 1 < columns; ++x) {
            const auto a = std::uint32_t(y * columns + x);
            const auto c = std::uint32_t(columns);
            indices.insert(indices.end(), {a, a + 1, a + c + 1, a, a + c + 1, a + c});
        }
    }
    return {verticesAt(positions), indices};
}

// A cone of `sides` triangles around one apex, bumpy so that nothing is flat.
inline MeshData cone(std::uint32_t sides)
{
    std::vector<glm::vec3> positions{{0, 1, 0}};
    std::vector<std::uint32_t> indices;
    for (std::uint32_t i = 0; i < sides; ++i) {
        const float a = 6.2831853f * float(i) / float(sides);
        positions.emplace_back(std::cos(a), 0.1f * float(i % 3), std::sin(a));
        indices.insert(indices.end(), {0, 1 + i, 1 + (i + 1) % sides});
    }
    return {verticesAt(positions), indices};
}

}  // namespace qm::testmeshes
