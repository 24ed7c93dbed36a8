#pragma once

#include <functional>

#include "GenMesh.h"
#include "Image.h"

namespace scenegen {

// The mesh seen from the side (looking along -z, orthographic) as an RGBA
// picture with a transparent background. The picture covers x in [-hx, hx]
// and y in [-2 hy, 2 hy] around the mesh origin, hx and hy being the mesh's
// bounding-box half extents: the quad the viewer draws for a billboard of
// width 2 hx and height 4 hy centred on the object's place. A mesh standing
// on y = 0 fills the upper half.
Image renderBillboard(const GenMesh& mesh, const std::function<glm::vec3(glm::vec2 uv)>& albedo, int maxSize);

// Samples a tiling picture with repeat wrapping (nearest texel), as linear colour.
glm::vec4 sampleRepeat(const Image& image, glm::vec2 uv);

}  // namespace scenegen
