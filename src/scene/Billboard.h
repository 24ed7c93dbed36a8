#pragma once

#include <memory>
#include <string>

#include "Mesh.h"

namespace qm {

// The far-away stand-in of a mesh: one triangle that the billboard program's
// geometry stage turns into a camera-facing quad of width x height, textured
// with the picture "<asset directory>/<mesh name>.png". Empty, silently, when
// the picture cannot be loaded. Needs the current context.
std::shared_ptr<Mesh> createBillboard(const std::string& meshName, float width, float height);

}  // namespace qm
