#pragma once

#include <memory>

#include "Mesh.h"

namespace qm {

// A simplified copy of a mesh with about `triangleShare` of its triangles,
// by meshoptimizer with open borders locked: edges that only one triangle
// uses (holes, the rim of a single-sided plane, the edge of a texture seam)
// stay where they are, so open models keep their outline. Only the vertices
// the result uses are kept. The original itself when nothing can be removed.
std::shared_ptr<Mesh> simplifyKeepingBorders(const std::shared_ptr<Mesh>& original, float triangleShare);

}  // namespace qm
