#include "DrawnOpacity.h"

#include <algorithm>

namespace qm {

float drawnOpacity(const SceneMaterial& material, std::string& why)
{
    const bool hasPicture = std::any_of(material.textures.begin(), material.textures.end(),
                                        [](const SceneTexture& t) { return t.slot == TextureSlot::Opacity; });
    if (material.physicallyBased || hasPicture || material.opacity > 0.0f)
        return material.opacity;
    why = "The material \"" + material.name +
          "\" has opacity 0 and no opacity picture: drawing it opaque, as its exporter most likely meant.";
    return 1.0f;
}

}  // namespace qm
