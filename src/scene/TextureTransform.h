#pragma once

#include "Math.h"
#include "SceneData.h"

namespace qm {

// glTF's texture transform (scale, then rotation, then offset) as a matrix
// on the viewer's texture coordinates, whose v the reader turned upside
// down: turned back, transformed, and turned again.
glm::mat3 textureTransform(const SceneTexture& texture);

}  // namespace qm
