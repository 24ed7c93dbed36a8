#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "MeshData.h"

namespace qm {

// A simplified copy of a mesh with about `triangleShare` of its triangles,
// by meshoptimizer with open borders locked: edges that only one triangle
// uses (holes, the rim of a single-sided plane, the edge of a texture seam)
// stay where they are, so open models keep their outline. Only the vertices
// the result uses are kept. Nothing when nothing can be removed.
// The same as an index list into the given vertices, which all stay;
// empty when nothing can be removed. For meshes whose vertices carry more
// than their records (bones, morph targets).
std::vector<std::uint32_t> simplifyIndicesKeepingBorders(std::span<const Vertex> vertices,
                                                         std::span<const std::uint32_t> indices, float triangleShare);

std::optional<MeshData> simplifyKeepingBorders(std::span<const Vertex> vertices,
                                               std::span<const std::uint32_t> indices, float triangleShare);

}  // namespace qm
