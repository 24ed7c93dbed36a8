#pragma once

#include <array>
#include <memory>

#include "EnvironmentLight.h"
#include "GLObject.h"

namespace qm {

// An environment on the GPU: its cube with a full mip chain (rougher
// surfaces read blurrier levels), the level the roughest read and the
// irradiance harmonics. Owns the texture: moved, not copied.
struct Environment {
    GLTexture cube;
    float mipLevels = 0.0f;
    std::array<glm::vec3, 9> harmonics{};
};

// Uploads the faces as half floats and builds the mip chain; needs the current context.
std::shared_ptr<Environment> makeEnvironment(const EnvironmentImage& image);

}  // namespace qm
