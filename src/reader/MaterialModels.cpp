#include "MaterialModels.h"

#include <algorithm>

namespace qm {

void convertSpecularGlossiness(SceneMaterial& to, float glossiness)
{
    to.baseColour = to.diffuse;
    to.hasBaseColour = true;
    to.roughness = 1.0f - std::clamp(glossiness, 0.0f, 1.0f);
    const float specular = std::max({to.specular[0], to.specular[1], to.specular[2]});
    to.metallic = std::clamp((specular - 0.04f) / 0.96f, 0.0f, 1.0f);
}

}  // namespace qm
