#pragma once

#include <memory>
#include <string>

#include "GraphicsResources.h"
#include "ImageFile.h"
#include "Mesh.h"

namespace qm {

// The far-away stand-in of a mesh: one triangle that the billboard program's
// geometry stage turns into a camera-facing quad of width x height, textured
// with the picture and drawn with the billboard program. Empty, silently,
// without a picture.
std::shared_ptr<Mesh> createBillboard(GraphicsResources& resources, const ImageFile& picture,
                                      std::shared_ptr<Shader> program, float width, float height);

}  // namespace qm
