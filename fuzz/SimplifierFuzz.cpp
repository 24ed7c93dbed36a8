// The simplifier on meshes made from the bytes (SimplifierInput.h); both
// reductions run as the viewer runs them.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "MeshSimplifier.h"
#include "SimplifierInput.h"

namespace {

void check(const qm::MeshData& mesh)
{
    const auto& vertices = mesh.vertices;
    for (const qm::Vertex& v : vertices) {
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(v.position[k]) || !std::isfinite(v.normal[k]))
                std::abort();  // no NaN or infinity may reach an output mesh
        }
    }
    if (mesh.indices.size() % 3 != 0)
        std::abort();
    for (std::uint32_t index : mesh.indices) {
        if (index >= vertices.size())
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<qm::Vertex> vertices;
    std::vector<std::uint32_t> indices;
    if (!decodeFuzzMesh(data, size, vertices, indices))
        return 0;
    qm::MeshSimplifier simplifier(vertices, indices);
    for (const float ratio : {0.6f, 0.4f}) {
        const std::optional<qm::MeshData> level = simplifier.simplify(ratio);
        if (!level) {
            if (!simplifier.gaveUp())
                std::abort();  // no level only when the work budget ran out
            return 0;
        }
        check(*level);
    }
    return 0;
}
