#pragma once

#include <optional>

#include "DrawList.h"
#include "Math.h"
#include "SceneData.h"

namespace qm {

struct ImportContext;

// Creates one light per distinct parameter set and registers every model
// light's name with its light in the import's context; under the policy's
// file lights, directional lights are registered by name for their nodes to
// aim. Under the policy's
// file lights, a light whose attenuation never falls off far enough
// reaches `unboundedRadius`.
void createLights(ImportContext& context, const SceneData& modelScene, float unboundedRadius = 0.0f);

// A directional light as its node places it in the world; none when the
// node's transform flattens its direction away.
std::optional<DirectionalLight> aimedDirectionalLight(const SceneLight& light, const glm::mat4& nodeToWorld);

}  // namespace qm
