// The simplifier on meshes made from the bytes: [vertex count, 2 bytes]
// [positions, 3 floats a vertex][triangles, 3 indices of 2 bytes each, taken
// modulo the vertex count]. Positions are any finite floats (the import
// leaves out meshes with others), so duplicates, degenerate and non-manifold
// triangles all occur. Both reductions run as the viewer runs them.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "MeshSimplifier.h"

namespace {

void check(const qm::Mesh& mesh)
{
    const auto& vertices = mesh.getVertices();
    for (const qm::Vertex& v : vertices) {
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(v.position[k]) || !std::isfinite(v.normal[k]))
                std::abort();  // no NaN or infinity may reach an output mesh
        }
    }
    if (mesh.getIndices().size() % 3 != 0)
        std::abort();
    for (std::uint32_t index : mesh.getIndices()) {
        if (index >= vertices.size())
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t count = std::size_t(data[0]) | std::size_t(data[1]) << 8;
    if (count == 0 || size < 2 + count * 12)
        return 0;
    std::vector<qm::Vertex> vertices(count);
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
    std::vector<std::uint32_t> indices;
    for (; at + 6 <= data + size; at += 6) {
        for (int k = 0; k < 3; ++k)
            indices.push_back(std::uint32_t((at[2 * k] | at[2 * k + 1] << 8) % count));
    }
    qm::MeshSimplifier simplifier(vertices, indices, nullptr);
    for (const float ratio : {0.6f, 0.4f}) {
        const std::shared_ptr<qm::Mesh> level = simplifier.simplify(ratio);
        if (!level) {
            if (!simplifier.gaveUp)
                std::abort();  // no level only when the work budget ran out
            return 0;
        }
        check(*level);
    }
    return 0;
}
