#pragma once

#include <assimp/scene.h>

#include "SceneData.h"

namespace qm {

// The model reader's scene as plain scene data, without loss for what the
// viewer shows or will show: every mesh with its attributes, primitives,
// skin and morph targets, every material parameter and texture (with the
// embedded image it names resolved to an index), the embedded images, the
// node tree parents first, lights, cameras, animations, and the numbers
// the file records about itself. Vertices that agree in everything are
// joined (joinMeshVertices). A mesh whose faces name vertices it lacks
// keeps only its name and the problem. The result keeps SceneData's rules.
SceneData toSceneData(const aiScene& scene);

}  // namespace qm
