#include "TextureTransform.h"

namespace qm {

glm::mat3 textureTransform(const SceneTexture& texture)
{
    const float c = std::cos(texture.rotation);
    const float s = std::sin(texture.rotation);
    // glm takes columns.
    const glm::mat3 offset(1, 0, 0, 0, 1, 0, texture.offset[0], texture.offset[1], 1);
    const glm::mat3 rotation(c, -s, 0, s, c, 0, 0, 0, 1);
    const glm::mat3 scale(texture.scale[0], 0, 0, 0, texture.scale[1], 0, 0, 0, 1);
    const glm::mat3 flip(1, 0, 0, 0, -1, 0, 0, 1, 1);
    return flip * offset * rotation * scale * flip;
}

}  // namespace qm
