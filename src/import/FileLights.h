#pragma once

#include "SceneData.h"

namespace qm {

struct ImportContext;

// Creates one light per distinct parameter set and registers every model
// light's name with its light in the import's context. Under the policy's
// file lights, a light whose attenuation never falls off far enough
// reaches `unboundedRadius`.
void createLights(ImportContext& context, const SceneData& modelScene, float unboundedRadius = 0.0f);

}  // namespace qm
